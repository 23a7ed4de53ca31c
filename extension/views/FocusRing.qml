import QtQuick
import Quorvane.Extension

// Drawn round a control while the keyboard's focus is on it; just outside the control, so that
// it keeps its contrast against the panel whatever the control is filled with.
Rectangle {
    // The control it is drawn round, and how far outside it.
    property Item target: parent
    property real outset: 3
    // Drawn while this is true, unless it turned true after a pointer's press rather than a key.
    property bool shown: false
    property bool byPointer: false

    objectName: "focusRing"
    visible: shown && !byPointer
    onShownChanged: byPointer = shown && InputOrigin.pointer
    anchors.fill: target
    anchors.margins: -outset
    z: 1
    color: "transparent"
    border.width: 2
    border.color: ColorScheme.focusRing
}
