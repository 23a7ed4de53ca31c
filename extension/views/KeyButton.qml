pragma ComponentBehavior: Bound

import QtQuick
import Quorvane.Extension

// A button without platform chrome, a plain item rather than a control, since a control's
// styling costs more to make than the whole of what the panel draws: pressed by a click, by Space
// as it is released, and by Return or Enter, with a focus ring round `ringTarget` while the
// keyboard's focus is on it.
Item {
    id: control

    property Item ringTarget: control
    property real ringRadius: 4
    // How far the ring lies outside `ringTarget`.
    property real ringOutset: 3
    readonly property bool pressed: tap.pressed || spaceDown
    // As a control's: a click focuses the button but shows no ring; Tab does.
    readonly property bool visualFocus: activeFocus && !focusedByPointer
    property bool focusedByPointer: false
    property bool spaceDown: false
    property Item ring: null

    signal clicked()

    activeFocusOnTab: true
    // A hidden button takes no keys, even while the focus is left on it.
    Keys.enabled: visible
    Accessible.role: Accessible.Button
    Accessible.focusable: true
    Accessible.onPressAction: clicked()
    onActiveFocusChanged: {
        if (!activeFocus) {
            focusedByPointer = false;
            spaceDown = false;
        } else if (InputOrigin.pointer) {
            // Focus moved on after a click shows no ring either.
            focusedByPointer = true;
        }
    }

    Keys.onPressed: event => {
        if (event.key === Qt.Key_Space) {
            spaceDown = !event.isAutoRepeat || spaceDown;
            event.accepted = true;
        } else if (event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
            event.accepted = true;
            // A key held down repeats; one press is one action, as with Space.
            if (!event.isAutoRepeat)
                clicked();
        }
    }
    Keys.onReleased: event => {
        if (event.key === Qt.Key_Space && !event.isAutoRepeat && spaceDown) {
            spaceDown = false;
            event.accepted = true;
            clicked();
        }
    }

    TapHandler {
        id: tap
        gesturePolicy: TapHandler.ReleaseWithinBounds
        onPressedChanged: {
            if (pressed) {
                control.focusedByPointer = true;
                control.forceActiveFocus(Qt.MouseFocusReason);
            }
        }
        onTapped: control.clicked()
    }

    // Made the first time it shows, from the one component the engine keeps for the file: most
    // buttons never have the keyboard's focus.
    onVisualFocusChanged: {
        if (visualFocus && !ring) {
            ring = Qt.createComponent("FocusRing.qml").createObject(control, {
                target: ringTarget,
                outset: ringOutset,
                radius: Qt.binding(() => ringRadius),
                shown: Qt.binding(() => visualFocus)
            });
        }
    }
}
