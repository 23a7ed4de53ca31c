import QtQuick
import QtQuick.Controls.Fusion
import Quorvane.Extension

// The summary of the message: a card, the paste box when the message could not be read, or
// progress. A summary is asked for each time the area comes into view on a shown panel.
Loader {
    id: area

    required property SessionPanel panel
    required property SummarizeStateManager summarizeStateManager
    // Asking before the panel has loaded the stored summary would replace it.
    property bool panelShown: false

    readonly property int section: panel.summarySection
    readonly property bool shown: visible && panelShown

    component Outline: Rectangle {
        color: "transparent"
        radius: 10
        border.color: ColorScheme.separator
        border.width: 1
    }

    // As tall as the section, and of no height once none shows.
    height: item ? (item as Item).implicitHeight : 0
    onShownChanged: if (shown) panel.summaryAreaShown()
    // Only the section that shows is made. A section that replaces one under the keyboard
    // takes the focus on the item marked `focus`, so that it never falls on nothing.
    sourceComponent: {
        switch (section) {
        case SessionPanel.Card:
            return card;
        case SessionPanel.ContentUnavailable:
            return pasteForm;
        case SessionPanel.Progress:
            return progress;
        }
        return null;
    }

    // qmllint disable unqualified
    Component {
        id: card

        Outline {
            objectName: "summaryCard"
            implicitHeight: summaryTitle.implicitHeight + summaryScroll.height + 30

            Text {
                id: summaryTitle
                Accessible.role: Accessible.StaticText
                Accessible.name: text
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.top: parent.top
                anchors.margins: 10
                text: qsTr("Summary")
                font.pixelSize: Typography.headline
                font.bold: true
                color: ColorScheme.primary
            }
            LongText {
                id: summaryScroll
                objectName: "summaryText"
                x: 10
                width: parent.width - 20
                anchors.top: summaryTitle.bottom
                anchors.topMargin: 10
                padding: 0
                height: Math.min(contentHeight, 160)
                focus: true
                text: area.summarizeStateManager.summarizeResponse ?? ""
            }
        }
    }

    Component {
        id: pasteForm

        Column {
            padding: 5
            spacing: 10

            Text {
                Accessible.role: Accessible.StaticText
                Accessible.name: text
                width: parent.width - 10
                text: qsTr("Email content cannot be loaded!")
                font.pixelSize: Typography.title
                color: ColorScheme.primary
                wrapMode: Text.Wrap
            }
            Text {
                Accessible.role: Accessible.StaticText
                Accessible.name: text
                width: parent.width - 10
                text: qsTr("Please copy the content and send it manually")
                font.pixelSize: Typography.body
                color: ColorScheme.primary
                wrapMode: Text.Wrap
            }
            Outline {
                width: parent.width - 10
                height: 150 + 2 * Typography.padding
                // The box's focus ring.
                border.color: pasteBox.activeFocus ? ColorScheme.focusRing : ColorScheme.separator
                border.width: pasteBox.activeFocus ? 2 : 1

                ScrollView {
                    objectName: "pasteScroll"
                    anchors.fill: parent
                    anchors.margins: Typography.padding
                    // A text cut at the box's foot says nothing of the rest without one.
                    ScrollBar.vertical.policy: contentHeight > availableHeight ? ScrollBar.AlwaysOn
                                                                               : ScrollBar.AlwaysOff

                    TextArea {
                        id: pasteBox
                        objectName: "pasteBox"
                        Accessible.name: qsTr("Message text to summarize")
                        // Tab leaves the box as it leaves every other control.
                        Keys.onTabPressed: nextItemInFocusChain(true).forceActiveFocus(Qt.TabFocusReason)
                        Keys.onBacktabPressed: nextItemInFocusChain(false).forceActiveFocus(Qt.BacktabFocusReason)
                        text: area.panel.textareaInput
                        onTextChanged: area.panel.textareaInput = text
                        padding: 0
                        wrapMode: TextEdit.Wrap
                        color: ColorScheme.primary
                        font.pixelSize: Typography.body
                        background: null
                        Component.onCompleted: if (visible) area.panel.pasteBoxShown()
                        onVisibleChanged: if (visible) area.panel.pasteBoxShown()
                    }
                }
            }
            SessionButton {
                objectName: "summarizeButton"
                focus: true
                width: parent.width - 10
                label: qsTr("Summarize")
                iconName: "wand"
                borderColor: ColorScheme.blue
                onClicked: area.panel.summarize()
            }
        }
    }

    Component {
        id: progress

        Item {
            implicitHeight: bar.implicitHeight + 20

            ProgressBar {
                id: bar
                objectName: "summaryProgress"
                anchors.fill: parent
                anchors.margins: 10
                Accessible.name: qsTr("Summarizing")
                focus: true
                indeterminate: true
            }
        }
    }
    // qmllint enable unqualified
}
