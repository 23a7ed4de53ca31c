import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Quorvane.Extension

// The logo and name on the left, "Log out" on the right.
RowLayout {
    id: header

    signal logoutClicked()

    spacing: 6

    Image {
        // The product's name is written beside it.
        Accessible.ignored: true
        source: "icons/quorvaneLogo.svg"
        sourceSize.width: 60
        sourceSize.height: 60
        Layout.preferredWidth: 30
        Layout.preferredHeight: 30
        fillMode: Image.PreserveAspectFit
    }
    Label {
        text: "Quorvane"
        font.pixelSize: Typography.headline
        font.bold: true
        color: ColorScheme.primary
    }
    Item { Layout.fillWidth: true }
    KeyButton {
        id: logout

        objectName: "logoutButton"
        padding: 2
        ringRadius: 6
        opacity: pressed ? 0.6 : 1
        Accessible.name: qsTr("Log out")
        onClicked: header.logoutClicked()

        contentItem: RowLayout {
            spacing: 4

            TintedIcon {
                Layout.preferredWidth: 25
                Layout.preferredHeight: 25
                source: "icons/logout.svg"
                color: ColorScheme.primary
            }
            Label {
                // The button says it already.
                Accessible.ignored: true
                text: qsTr("Log out")
                font.pixelSize: Typography.headline
                font.bold: true
                color: ColorScheme.primary
            }
        }
    }
}
