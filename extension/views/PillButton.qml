import QtQuick
import Quorvane.Extension

// A capsule with an icon and a label, centred in the button, with no platform bezel; an
// outline round the whole button when it has a border colour. The login and panel buttons
// are this one, sized in their own ways.
KeyButton {
    id: control

    property string label
    property string iconName
    property color backgroundColor: "transparent"
    property color borderColor: "transparent"
    // The capsule fills the button unless a button sizes it otherwise.
    property real pillWidth: width
    property real pillHeight: height
    // The least room between the label and the capsule's ends.
    property real inset: 8

    readonly property color contentColor: backgroundColor.a > 0 ? "white" : ColorScheme.primary
    // The icon and the gap after it.
    readonly property real iconRoom: iconName !== "" ? 22 : 0
    readonly property real contentWidth: iconRoom + title.implicitWidth
    readonly property real contentHeight: Math.max(16, title.implicitHeight)

    opacity: pressed ? 0.7 : 1
    ringTarget: pill
    ringRadius: pill.radius + 3
    Accessible.name: label

    Rectangle {
        anchors.fill: parent
        visible: control.borderColor.a > 0
        color: "transparent"
        radius: 20
        border.color: control.borderColor
        border.width: 1
    }

    Rectangle {
        id: pill
        anchors.centerIn: parent
        width: Math.min(parent.width, control.pillWidth)
        height: Math.min(parent.height, control.pillHeight)
        radius: height / 2
        color: control.backgroundColor
        clip: true

        // Placed by hand rather than by a row, which would lay the label out once more.
        TintedIcon {
            visible: control.iconName !== ""
            x: title.x - control.iconRoom
            anchors.verticalCenter: parent.verticalCenter
            width: 16
            height: 16
            source: control.iconName !== "" ? "icons/" + control.iconName + ".svg" : ""
            color: control.contentColor
        }
        Text {
            id: title

            readonly property real room: pill.width - 2 * control.inset - control.iconRoom
            readonly property bool cut: room > 0 && implicitWidth > room

            x: Math.round((pill.width - width + control.iconRoom) / 2)
            anchors.verticalCenter: parent.verticalCenter
            // Where room is short the label is cut at its end, never at the capsule. Only then:
            // an eliding text lays itself out again at every width the button passes through.
            width: cut ? room : implicitWidth
            elide: cut ? Text.ElideRight : Text.ElideNone
            text: control.label
            textFormat: Text.PlainText
            color: control.contentColor
            font.pixelSize: Typography.body
        }
    }
}
