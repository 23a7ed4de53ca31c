import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Quorvane.Extension

// The signed-in panel: header, developer menu, the message's summary, and two tabs, one
// that drafts a reply in one click and one that chats about the message.
Item {
    id: root

    required property ButtonStateManager buttonStateManager
    required property SummarizeStateManager summarizeStateManager
    required property EndpointSelection endpoints
    property bool showDeveloperMenu: false
    // Set by the owner once the panel is on screen with its stored results loaded.
    property bool shown: false

    implicitWidth: PanelSize.minimumWidth
    implicitHeight: 550

    SessionPanel {
        id: panel
        buttonStateManager: root.buttonStateManager
        summarizeStateManager: root.summarizeStateManager
    }

    component PanelTab: TabButton {
        id: tab

        property string iconName

        padding: 6
        // A tab is chosen with Return as with Space.
        Keys.onReturnPressed: checked = true
        Keys.onEnterPressed: checked = true
        Accessible.name: text

        FocusRing {
            anchors.fill: parent
            anchors.margins: 1
            radius: 6
            visible: tab.visualFocus
        }
        contentItem: Row {
            spacing: 5

            TintedIcon {
                anchors.verticalCenter: parent.verticalCenter
                width: 14
                height: 14
                source: "icons/" + tab.iconName + ".svg"
                color: ColorScheme.primary
            }
            Label {
                Accessible.ignored: true
                anchors.verticalCenter: parent.verticalCenter
                width: Math.min(implicitWidth, tab.availableWidth - 19)
                text: tab.text
                elide: Text.ElideRight
                font.pixelSize: Typography.subheadline
                color: ColorScheme.primary
            }
        }
        background: Rectangle {
            color: tab.checked ? ColorScheme.controlBackground : "transparent"
            border.color: tab.checked ? ColorScheme.separator : "transparent"
            radius: 6

            Rectangle {
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.bottom: parent.bottom
                anchors.margins: 6
                height: 2
                radius: 1
                color: ColorScheme.accentPurple
                visible: tab.checked
            }
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 8

        PanelHeader {
            Layout.fillWidth: true
            onLogoutClicked: panel.logout()
        }

        // Parts a person may never open are made when first needed, so the panel opens fast.
        Loader {
            active: root.showDeveloperMenu
            visible: active
            Layout.fillWidth: true

            // qmllint disable unqualified
            sourceComponent: DeveloperMenu { selection: root.endpoints }
            // qmllint enable unqualified
        }

        SummaryArea {
            visible: panel.showsSummaryArea
            Layout.fillWidth: true
            panel: panel
            summarizeStateManager: root.summarizeStateManager
            panelShown: root.shown
        }

        TabBar {
            id: tabs

            property bool chatOpened: false

            Layout.fillWidth: true
            onCurrentIndexChanged: if (currentIndex === 1) chatOpened = true
            spacing: 4
            background: Rectangle {
                color: "transparent"
                radius: 8
                border.color: ColorScheme.separator
            }

            PanelTab {
                objectName: "quickResponseTab"
                //: A tab: a reply drafted in one step.
                text: qsTr("Quick response")
                iconName: "wand"
            }
            PanelTab {
                objectName: "customResponseTab"
                //: A tab: a chat with the assistant about the message.
                text: qsTr("Custom interactive response")
                iconName: "chatbubbles"
            }
        }

        Item {
            Layout.fillWidth: true
            Layout.fillHeight: true

            StackLayout {
                anchors.fill: parent
                currentIndex: tabs.currentIndex

                ReplyTab {
                    panel: panel
                    buttonStateManager: root.buttonStateManager
                }
                ChatTab {
                    window: root.buttonStateManager.window
                    opened: tabs.chatOpened
                }
            }

            ToastView {
                id: toast
                objectName: "toast"
                anchors.fill: parent
                shown: root.buttonStateManager.showToast
                message: root.buttonStateManager.toastMessage
            }

            // The other notices over the tabs are made only while they show.
            // qmllint disable unqualified
            Loader {
                anchors.centerIn: parent
                active: root.buttonStateManager.isGenerateResponseLoading

                sourceComponent: Rectangle {
                    objectName: "replySpinner"
                    width: 50
                    height: 50
                    radius: 10
                    color: ColorScheme.controlBackground
                    border.color: ColorScheme.separator

                    ActivityIndicator {
                        anchors.fill: parent
                        anchors.margins: 9
                        name: qsTr("Drafting a reply")
                    }
                }
            }
            FadingLoader {
                anchors.horizontalCenter: parent.horizontalCenter
                anchors.bottom: parent.bottom
                // Above a showing toast rather than over it.
                anchors.bottomMargin: 40 + (toast.visible ? toast.stripHeight + 8 : 0)
                shown: panel.showTooltip

                sourceComponent: TooltipView {
                    objectName: "copyTooltip"
                    message: qsTr("Text copied to clipboard!")
                }
            }
            // qmllint enable unqualified
        }
    }
}
