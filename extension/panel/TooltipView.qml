import QtQuick
import Quorvane.Extension

// A dark rounded message.
Rectangle {
    property string message

    // Heard as it shows, as the toast is: Qt 6.4 has no announcement.
    Accessible.role: Accessible.AlertMessage
    Accessible.name: message

    implicitWidth: label.implicitWidth + 20
    implicitHeight: label.implicitHeight + 20
    radius: 8
    color: Qt.rgba(0, 0, 0, 0.7)
    // Like the toast: on a dark window only its edge shows where it is.
    border.width: ColorScheme.dark ? 1 : 0
    border.color: ColorScheme.separator

    Text {
        id: label
        anchors.centerIn: parent
        text: parent.message
        Accessible.ignored: true
        textFormat: Text.PlainText
        color: "white"
        font.pixelSize: Typography.body
    }
}
