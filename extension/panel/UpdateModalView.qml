import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Controls.impl
import QtQuick.Layouts
import Quorvane.Extension

// The notice of a newer version, laid over the dimmed panel: download it or be reminded later.
Item {
    id: root

    UpdateActions { id: actions }

    ColumnLayout {
        anchors.fill: parent
        spacing: 8

        RowLayout {
            objectName: "panelHeader"
            Layout.fillWidth: true
            spacing: 8

            Image {
                Layout.preferredWidth: 30
                Layout.preferredHeight: 30
                source: "icons/quorvaneLogo.svg"
                sourceSize: Qt.size(60, 60)
                fillMode: Image.PreserveAspectFit
            }
            Label {
                text: qsTr("Quorvane")
                font.pixelSize: Typography.headline
                font.weight: Font.DemiBold
                color: ColorScheme.primary
            }
            Item { Layout.fillWidth: true }
            AbstractButton {
                id: logout
                objectName: "logoutButton"
                Accessible.name: qsTr("Log out")
                opacity: pressed ? 0.7 : 1
                onClicked: actions.logOut()

                contentItem: RowLayout {
                    spacing: 6

                    IconImage {
                        Layout.preferredWidth: 25
                        Layout.preferredHeight: 25
                        source: "icons/logout.svg"
                        sourceSize: Qt.size(50, 50)
                        color: ColorScheme.primary
                    }
                    Label {
                        text: qsTr("Log out")
                        font.pixelSize: Typography.headline
                        font.weight: Font.DemiBold
                        color: ColorScheme.primary
                    }
                }
            }
        }
        Item { Layout.fillHeight: true }
        Rectangle {
            objectName: "updateNotice"
            Layout.fillWidth: true
            Layout.leftMargin: Typography.padding
            Layout.rightMargin: Typography.padding
            implicitHeight: notice.implicitHeight + 2 * Typography.padding
            radius: 8
            color: Qt.rgba(0.5, 0.5, 0.5, 0.2)
            border.color: ColorScheme.indigo
            border.width: 1

            ColumnLayout {
                id: notice
                anchors.fill: parent
                anchors.margins: Typography.padding
                spacing: 8

                Label {
                    Layout.fillWidth: true
                    text: qsTr("New version available!")
                    font.pixelSize: Typography.title2
                    font.bold: true
                    color: ColorScheme.primary
                    wrapMode: Text.Wrap
                }
                Label {
                    Layout.fillWidth: true
                    text: qsTr("A new version of the Quorvane app was released. Download the new version to use the latest updates.")
                    font.pixelSize: Typography.subheadline
                    color: "gray"
                    wrapMode: Text.Wrap
                }
                RowLayout {
                    Layout.fillWidth: true
                    Layout.topMargin: 5

                    Button {
                        objectName: "remindLaterButton"
                        text: qsTr("Remind me later")
                        font.pixelSize: Typography.headline
                        onClicked: actions.remindLater()
                    }
                    Item { Layout.fillWidth: true }
                    Button {
                        objectName: "updateNowButton"
                        text: qsTr("Update now")
                        font.pixelSize: Typography.headline
                        onClicked: actions.updateNow()
                    }
                }
            }
        }
        Item { Layout.fillHeight: true }
    }
}
