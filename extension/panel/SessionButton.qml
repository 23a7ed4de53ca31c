import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Controls.impl
import QtQuick.Layouts
import Quorvane.Extension

// A pill with an icon and a label inside a full-width outline; no platform bezel.
AbstractButton {
    id: control

    property string label
    property string iconName
    property color backgroundColor: "transparent"
    property color borderColor: "transparent"

    readonly property bool filled: backgroundColor.a > 0
    readonly property color contentColor: filled ? "white" : ColorScheme.primary
    readonly property real horizontalInset: borderColor.a > 0 ? 27.5 : 8
    readonly property real contentWidth: 16 + row.spacing + title.implicitWidth
    readonly property real pillWidth: contentWidth + 2 * horizontalInset
    // Where room is short the inset gives way before the label is cut.
    readonly property real inset: Math.max(8, Math.min(horizontalInset, (width - contentWidth) / 2))

    Layout.fillWidth: true
    implicitWidth: pillWidth
    implicitHeight: pill.height
    padding: 0
    opacity: pressed ? 0.7 : 1
    Accessible.name: label

    background: Rectangle {
        color: "transparent"
        radius: 20
        border.color: control.borderColor
        border.width: 1
    }

    contentItem: Item {
        Rectangle {
            id: pill
            anchors.centerIn: parent
            width: Math.min(parent.width, control.contentWidth + 2 * control.inset)
            height: row.implicitHeight + 16
            radius: 20
            color: control.backgroundColor
            clip: true

            Row {
                id: row
                anchors.centerIn: parent
                spacing: 6

                IconImage {
                    anchors.verticalCenter: parent.verticalCenter
                    source: control.iconName ? "icons/" + control.iconName + ".svg" : ""
                    sourceSize: Qt.size(16, 16)
                    color: control.contentColor
                }
                Label {
                    id: title
                    anchors.verticalCenter: parent.verticalCenter
                    width: Math.min(implicitWidth, pill.width - 2 * control.inset - 16 - row.spacing)
                    elide: Text.ElideRight
                    text: control.label
                    textFormat: Text.PlainText
                    color: control.contentColor
                    font.pixelSize: Typography.body
                }
            }
        }
    }
}
