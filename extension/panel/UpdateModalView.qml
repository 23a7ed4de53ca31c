import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Quorvane.Extension

// The notice of a newer version, laid over the dimmed panel: download it or be reminded later.
Item {
    id: root

    required property UpdateActions actions

    // A standard button that Return presses too, with the panel's focus ring.
    component NoticeButton: Button {
        id: button

        font.pixelSize: Typography.headline
        Accessible.name: text
        Keys.onPressed: event => {
            if (event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
                event.accepted = true;
                // A key held down repeats; one press is one action, as with Space.
                if (!event.isAutoRepeat)
                    clicked();
            }
        }

        FocusRing {
            radius: 5
            visible: button.visualFocus
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 8

        PanelHeader {
            Layout.fillWidth: true
            onLogoutClicked: root.actions.logOut()
        }
        Item { Layout.fillHeight: true }
        Rectangle {
            objectName: "updateNotice"
            // Heard as it shows: Qt 6.4 has no other announcement.
            Accessible.role: Accessible.AlertMessage
            Accessible.name: title.text + " " + noticeText.text
            Layout.fillWidth: true
            Layout.leftMargin: Typography.padding
            Layout.rightMargin: Typography.padding
            implicitHeight: notice.implicitHeight + 2 * Typography.padding
            radius: 8
            // Opaque beneath the grey, so that the dimmed panel does not show through the text.
            color: ColorScheme.controlBackground
            border.color: ColorScheme.indigo
            border.width: 1

            Rectangle {
                anchors.fill: parent
                anchors.margins: 1
                radius: 7
                color: Qt.rgba(0.5, 0.5, 0.5, 0.2)
            }

            ColumnLayout {
                id: notice
                anchors.fill: parent
                anchors.margins: Typography.padding
                spacing: 8

                Label {
                    id: title
                    Layout.fillWidth: true
                    text: qsTr("New version available!")
                    font.pixelSize: Typography.title2
                    font.bold: true
                    color: ColorScheme.primary
                    wrapMode: Text.Wrap
                }
                Label {
                    id: noticeText
                    objectName: "updateNoticeText"
                    Layout.fillWidth: true
                    text: qsTr("A new version of the Quorvane app was released. Download the new version to use the latest updates.")
                    font.pixelSize: Typography.subheadline
                    // Grey of the scheme's own ink, which keeps 4.5:1 on the tinted notice.
                    color: ColorScheme.secondary
                    wrapMode: Text.Wrap
                }
                RowLayout {
                    Layout.fillWidth: true
                    Layout.topMargin: 5
                    // Standard buttons in the scheme's colours, also when it is dark.
                    palette.button: ColorScheme.controlBackground
                    palette.buttonText: ColorScheme.primary
                    palette.window: ColorScheme.controlBackground

                    NoticeButton {
                        objectName: "remindLaterButton"
                        // Where the notice's focus goes when it takes the keyboard's.
                        focus: true
                        text: qsTr("Remind me later")
                        onClicked: root.actions.remindLater()
                    }
                    Item { Layout.fillWidth: true }
                    NoticeButton {
                        objectName: "updateNowButton"
                        text: qsTr("Update now")
                        onClicked: root.actions.updateNow()
                    }
                }
            }
        }
        Item { Layout.fillHeight: true }
    }
}
