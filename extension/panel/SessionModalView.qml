import QtQuick
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

    // For a keyboard whose control went away.
    function focusFirstControl() {
        header.focusLogout();
    }

    implicitWidth: PanelSize.minimumWidth
    implicitHeight: 550

    SessionPanel {
        id: panel
        buttonStateManager: root.buttonStateManager
        summarizeStateManager: root.summarizeStateManager
    }

    // A tab chosen by a click, Space, Return or Enter; its bar keeps one of them chosen.
    component PanelTab: KeyButton {
        id: tab

        property string text
        property string iconName
        property bool checked: false

        implicitHeight: 26
        ringOutset: -1
        ringRadius: 6
        Accessible.role: Accessible.PageTab
        Accessible.name: text
        Accessible.checkable: true
        Accessible.checked: checked

        Rectangle {
            anchors.fill: parent
            color: tab.checked ? ColorScheme.controlBackground : "transparent"
            border.color: tab.checked ? ColorScheme.separator : "transparent"
            radius: 6

            Rectangle {
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.bottom: parent.bottom
                anchors.margins: 6
                // Clear of the label's descenders.
                anchors.bottomMargin: 3
                height: 2
                radius: 1
                color: ColorScheme.accentPurple
                visible: tab.checked
            }
        }
        Row {
            x: 4
            anchors.verticalCenter: parent.verticalCenter
            spacing: 5

            TintedIcon {
                anchors.verticalCenter: parent.verticalCenter
                width: 14
                height: 14
                source: "icons/" + tab.iconName + ".svg"
                color: ColorScheme.primary
            }
            Text {
                readonly property real room: tab.width - 27
                readonly property bool cut: room > 0 && implicitWidth > room

                anchors.verticalCenter: parent.verticalCenter
                // Eliding only where it is cut, as a button's label.
                width: cut ? room : implicitWidth
                elide: cut ? Text.ElideRight : Text.ElideNone
                text: tab.text
                font.pixelSize: Typography.subheadline
                color: ColorScheme.primary
            }
        }
    }

    // Positioned rather than laid out: the arrangement is fixed, and the tabs take what is left.
    Column {
        id: column
        width: parent.width
        height: parent.height
        spacing: 8

        PanelHeader {
            id: header
            width: parent.width
            onLogoutClicked: panel.logout()
        }

        // Parts a person may never open are made when first needed, so the panel opens fast.
        Loader {
            active: root.showDeveloperMenu
            visible: active
            width: parent.width
            // Closed under the keyboard, it would leave the focus on nothing.
            onActiveChanged: if (!active && activeFocus) root.focusFirstControl()

            // qmllint disable unqualified
            sourceComponent: DeveloperMenu { selection: root.endpoints }
            // qmllint enable unqualified
        }

        SummaryArea {
            visible: panel.showsSummaryArea
            width: parent.width
            panel: panel
            summarizeStateManager: root.summarizeStateManager
            panelShown: root.shown
        }

        Rectangle {
            id: tabs

            property int currentIndex: 0
            property bool chatOpened: false

            Accessible.role: Accessible.PageTabList
            width: parent.width
            height: 26
            color: "transparent"
            radius: 8
            border.color: ColorScheme.separator
            onCurrentIndexChanged: if (currentIndex === 1) chatOpened = true

            Row {
                id: tabRow
                width: parent.width
                height: parent.height
                spacing: 4

                PanelTab {
                    objectName: "quickResponseTab"
                    width: (tabRow.width - tabRow.spacing) / 2
                    //: A tab: a reply drafted in one step.
                    text: qsTr("Quick response")
                    iconName: "wand"
                    checked: tabs.currentIndex === 0
                    onClicked: tabs.currentIndex = 0
                }
                PanelTab {
                    objectName: "customResponseTab"
                    width: (tabRow.width - tabRow.spacing) / 2
                    //: A tab: a chat with the assistant about the message.
                    text: qsTr("Custom interactive response")
                    iconName: "chatbubbles"
                    checked: tabs.currentIndex === 1
                    onClicked: tabs.currentIndex = 1
                }
            }
        }

        Item {
            width: parent.width
            height: Math.max(0, column.height - y)

            ReplyTab {
                width: parent.width
                height: parent.height
                visible: tabs.currentIndex === 0
                panel: panel
                buttonStateManager: root.buttonStateManager
            }
            ChatTab {
                id: chat
                width: parent.width
                height: parent.height
                visible: tabs.currentIndex === 1
                window: root.buttonStateManager.window
                opened: tabs.chatOpened
            }

            ToastView {
                id: toast
                objectName: "toast"
                width: parent.width
                height: parent.height
                shown: root.buttonStateManager.showToast
                message: root.buttonStateManager.toastMessage
                // The chat's question field is at the bottom, and its prompt at the top.
                atTop: tabs.currentIndex === 1
                topMargin: chat.promptBottom + 8
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
                // It speaks of the reply's copy button, and would cover the chat's field.
                shown: panel.showTooltip && tabs.currentIndex === 0

                sourceComponent: TooltipView {
                    objectName: "copyTooltip"
                    message: qsTr("Text copied to clipboard!")
                }
            }
            // qmllint enable unqualified
        }
    }
}
