import QtQuick
import Quorvane.Extension

// The logo and name on the left, "Log out" on the right.
Item {
    id: header

    signal logoutClicked()

    function focusLogout() {
        logout.forceActiveFocus(InputOrigin.focusReason());
    }

    implicitWidth: logo.width + name.width + logout.width + 18
    implicitHeight: 30

    Image {
        id: logo
        // The product's name is written beside it.
        Accessible.ignored: true
        anchors.verticalCenter: parent.verticalCenter
        width: 30
        height: 30
        source: "icons/quorvaneLogo.svg"
        sourceSize.width: 60
        sourceSize.height: 60
        fillMode: Image.PreserveAspectFit
    }
    Text {
        id: name
        Accessible.role: Accessible.StaticText
        Accessible.name: text
        anchors.left: logo.right
        anchors.leftMargin: 6
        anchors.verticalCenter: parent.verticalCenter
        text: "Quorvane"
        font.pixelSize: Typography.headline
        font.bold: true
        color: ColorScheme.primary
    }
    KeyButton {
        id: logout

        objectName: "logoutButton"
        // On whole pixels, as its text is drawn sharpest.
        x: parent.width - width
        y: Math.round((parent.height - height) / 2)
        implicitWidth: Math.ceil(content.width) + 4
        implicitHeight: content.height + 4
        ringRadius: 6
        opacity: pressed ? 0.6 : 1
        Accessible.name: qsTr("Log out")
        onClicked: header.logoutClicked()

        Row {
            id: content
            x: 2
            y: 2
            spacing: 4

            TintedIcon {
                width: 25
                height: 25
                source: "icons/logout.svg"
                color: ColorScheme.primary
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("Log out")
                font.pixelSize: Typography.headline
                font.bold: true
                color: ColorScheme.primary
            }
        }
    }
}
