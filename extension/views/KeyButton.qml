import QtQuick
import QtQuick.Controls.Fusion
import Quorvane.Extension

// A button without platform chrome that Return and Enter press as Space does, with a focus
// ring round `ringTarget` while the keyboard is on it.
AbstractButton {
    id: control

    property Item ringTarget: control
    property real ringRadius: 4

    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()

    FocusRing {
        anchors.fill: control.ringTarget
        radius: control.ringRadius
        visible: control.visualFocus
    }
}
