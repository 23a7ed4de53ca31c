import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Controls.impl
import Quorvane.Extension

// A capsule of a fixed size with white text and an optional icon.
AbstractButton {
    id: control

    property string title
    property string iconName
    property color backgroundColor

    implicitWidth: 200
    implicitHeight: 40
    padding: 0
    opacity: pressed ? 0.8 : 1
    Accessible.name: title

    background: Rectangle {
        radius: control.height * 0.5
        color: control.backgroundColor
    }
    contentItem: Item {
        Row {
            anchors.centerIn: parent
            spacing: 6

            IconImage {
                visible: control.iconName !== ""
                anchors.verticalCenter: parent.verticalCenter
                source: control.iconName ? "icons/" + control.iconName + ".svg" : ""
                sourceSize: Qt.size(16, 16)
                color: "white"
            }
            Label {
                anchors.verticalCenter: parent.verticalCenter
                text: control.title
                textFormat: Text.PlainText
                color: "white"
                font.pixelSize: Typography.body
            }
        }
    }
}
