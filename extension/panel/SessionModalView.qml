import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Controls.impl
import QtQuick.Layouts
import Quorvane.Extension

// The signed-in panel: header, developer menu, the message's summary, and two tabs, one
// that drafts a reply in one click and one that chats about the message.
Item {
    id: root

    required property ButtonStateManager buttonStateManager
    required property SummarizeStateManager summarizeStateManager
    property bool showDeveloperMenu: false

    implicitWidth: 400
    implicitHeight: 550

    SessionPanel {
        id: panel
        buttonStateManager: root.buttonStateManager
        summarizeStateManager: root.summarizeStateManager
    }
    EndpointSelection { id: endpoints }

    component PanelTab: TabButton {
        id: tab

        property string iconName

        padding: 6
        contentItem: Row {
            spacing: 5

            IconImage {
                anchors.verticalCenter: parent.verticalCenter
                source: "icons/" + tab.iconName + ".svg"
                sourceSize: Qt.size(14, 14)
                color: ColorScheme.primary
            }
            Label {
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

    component Outline: Rectangle {
        color: "transparent"
        radius: 10
        border.color: ColorScheme.separator
        border.width: 1
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

            sourceComponent: DeveloperMenu { selection: endpoints }
        }

        // The summary area: a card, the paste box when the message could not be read, or
        // progress.
        ColumnLayout {
            id: summaryArea

            readonly property int section: panel.summarySection

            visible: panel.showsSummaryArea
            Layout.fillWidth: true
            spacing: 0
            Component.onCompleted: if (visible) panel.summaryAreaShown()
            onVisibleChanged: if (visible) panel.summaryAreaShown()

            Outline {
                objectName: "summaryCard"
                visible: summaryArea.section === SessionPanel.Card
                Layout.fillWidth: true
                implicitHeight: summaryTitle.implicitHeight + summaryScroll.height + 30

                Label {
                    id: summaryTitle
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
                    anchors.left: parent.left
                    anchors.right: parent.right
                    anchors.top: summaryTitle.bottom
                    anchors.margins: 10
                    padding: 0
                    height: Math.min(contentHeight, 160)
                    text: root.summarizeStateManager.summarizeResponse ?? ""
                }
            }

            ColumnLayout {
                visible: summaryArea.section === SessionPanel.ContentUnavailable
                Layout.fillWidth: true
                spacing: 0

                Label {
                    Layout.fillWidth: true
                    Layout.margins: 5
                    text: qsTr("Email content cannot be loaded!")
                    font.pixelSize: Typography.title
                    color: ColorScheme.primary
                    wrapMode: Text.Wrap
                }
                Label {
                    Layout.fillWidth: true
                    Layout.margins: 5
                    text: qsTr("Please copy the content and send it manually")
                    font.pixelSize: Typography.body
                    color: ColorScheme.primary
                    wrapMode: Text.Wrap
                }
                Outline {
                    Layout.fillWidth: true
                    Layout.margins: 5
                    implicitHeight: 150 + 2 * Typography.padding

                    ScrollView {
                        anchors.fill: parent
                        anchors.margins: Typography.padding

                        TextArea {
                            objectName: "pasteBox"
                            text: panel.textareaInput
                            onTextChanged: panel.textareaInput = text
                            padding: 0
                            wrapMode: TextEdit.Wrap
                            color: ColorScheme.primary
                            font.pixelSize: Typography.body
                            background: null
                            onVisibleChanged: if (visible) panel.pasteBoxShown()
                        }
                    }
                }
                SessionButton {
                    objectName: "summarizeButton"
                    Layout.margins: 5
                    label: qsTr("Summarize")
                    iconName: "wand"
                    borderColor: ColorScheme.blue
                    onClicked: panel.summarize()
                }
            }

            ProgressBar {
                objectName: "summaryProgress"
                visible: summaryArea.section === SessionPanel.Progress
                Layout.fillWidth: true
                Layout.margins: 10
                indeterminate: true
            }
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
                text: qsTr("Quick response")
                iconName: "wand"
            }
            PanelTab {
                objectName: "customResponseTab"
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

                // Quick response: one press drafts a reply.
                Item {
                    Loader {
                        anchors.centerIn: parent
                        width: parent.width - 10
                        height: Math.max(Math.min(implicitHeight, 500), Math.min(200, parent.height - 10))
                        active: !panel.showsRegenerateLayout

                        sourceComponent: ColumnLayout {
                            spacing: 10

                            Item { Layout.fillHeight: true }
                            Label {
                                Layout.fillWidth: true
                                text: qsTr("Generate instant responses based on the selected email.")
                                font.pixelSize: Typography.body
                                font.weight: Font.Light
                                color: ColorScheme.primary
                                wrapMode: Text.Wrap
                            }
                            SessionButton {
                                objectName: "generateResponseButton"
                                label: qsTr("Generate response")
                                iconName: "captions"
                                backgroundColor: ColorScheme.indigo
                                onClicked: panel.generateReply()
                            }
                            Item { Layout.fillHeight: true }
                        }
                    }

                    Loader {
                        anchors.fill: parent
                        anchors.margins: 5
                        active: panel.showsRegenerateLayout

                        sourceComponent: ColumnLayout {
                            spacing: 10

                            SessionButton {
                                objectName: "regenerateResponseButton"
                                label: qsTr("Regenerate response")
                                iconName: "repeat"
                                borderColor: ColorScheme.purple
                                onClicked: panel.generateReply()
                            }
                            Label {
                                Layout.fillWidth: true
                                text: qsTr("Regenerating a response will use additional tokens")
                                font.pixelSize: Typography.body
                                font.italic: true
                                font.weight: Font.Light
                                color: ColorScheme.primary
                                wrapMode: Text.Wrap
                            }
                            LongText {
                                objectName: "replyText"
                                Layout.fillWidth: true
                                Layout.fillHeight: true
                                text: root.buttonStateManager.generateResponse ?? ""
                            }
                            RowLayout {
                                Layout.fillWidth: true
                                spacing: 6

                                SessionButton {
                                    objectName: "submitTrainingButton"
                                    Layout.preferredWidth: 1
                                    label: qsTr("Submit to train AI")
                                    iconName: "info"
                                    borderColor: ColorScheme.blue
                                    onClicked: panel.sendTrainingExample()
                                }
                                SessionButton {
                                    objectName: "copyButton"
                                    Layout.preferredWidth: 1
                                    label: qsTr("Copy to clipboard")
                                    iconName: "copy"
                                    backgroundColor: ColorScheme.blue
                                    borderColor: ColorScheme.blue
                                    onClicked: panel.copyReply()
                                }
                            }
                        }
                    }
                }

                // Custom response: a chat about the message.
                ColumnLayout {
                    spacing: 5

                    Label {
                        Layout.fillWidth: true
                        Layout.margins: 5
                        text: qsTr("Provide specific prompts to the AI assistant for more detailed and personalized reply options.")
                        font.pixelSize: Typography.body
                        font.weight: Font.Light
                        color: ColorScheme.primary
                        wrapMode: Text.Wrap
                    }
                    // Kept once made: the chat lives as long as the panel.
                    Loader {
                        active: tabs.chatOpened
                        Layout.fillWidth: true
                        Layout.fillHeight: true
                        Layout.margins: 5

                        sourceComponent: ChatView { window: root.buttonStateManager.window }
                    }
                }
            }

            ToastView {
                id: toast
                objectName: "toast"
                anchors.fill: parent
                message: root.buttonStateManager.toastMessage
                opacity: root.buttonStateManager.showToast ? 1 : 0
                Behavior on opacity { NumberAnimation { duration: 250 } }
            }
            Rectangle {
                objectName: "replySpinner"
                anchors.centerIn: parent
                width: 50
                height: 50
                radius: 10
                color: ColorScheme.controlBackground
                border.color: ColorScheme.separator
                visible: root.buttonStateManager.isGenerateResponseLoading

                ActivityIndicator {
                    anchors.fill: parent
                    anchors.margins: 9
                    running: parent.visible
                }
            }
            TooltipView {
                objectName: "copyTooltip"
                anchors.horizontalCenter: parent.horizontalCenter
                anchors.bottom: parent.bottom
                // Above a showing toast rather than over it.
                anchors.bottomMargin: 40 + (toast.opacity > 0 ? toast.stripHeight + 8 : 0)
                message: qsTr("Text copied to clipboard!")
                opacity: panel.showTooltip ? 1 : 0
                visible: opacity > 0
            }
        }
    }
}
