import QtQuick
import Quorvane.Extension

// Drawn round a control while the keyboard's focus is on it; just outside the control, so that
// it keeps its contrast against the panel whatever the control is filled with.
Rectangle {
    // The control it is drawn round, and how far outside it.
    property Item target: parent
    property real outset: 3

    objectName: "focusRing"
    anchors.fill: target
    anchors.margins: -outset
    z: 1
    color: "transparent"
    border.width: 2
    border.color: ColorScheme.focusRing
}
