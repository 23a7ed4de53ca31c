pragma Singleton
import QtQuick

// Scrolls a text or list that is a tab stop from the keyboard: the arrows by a step, Page Up
// and Page Down by its height, Home and End to its ends. One for all, since a panel opens with
// several such texts.
QtObject {
    readonly property real step: 20

    function press(event: KeyEvent, flickable: Flickable) {
        const top = flickable.originY;
        const bottom = Math.max(top, top + flickable.contentHeight - flickable.height);
        let to = flickable.contentY;
        switch (event.key) {
        case Qt.Key_Up:
            to -= step;
            break;
        case Qt.Key_Down:
            to += step;
            break;
        case Qt.Key_PageUp:
            to -= flickable.height;
            break;
        case Qt.Key_PageDown:
            to += flickable.height;
            break;
        case Qt.Key_Home:
            to = top;
            break;
        case Qt.Key_End:
            to = bottom;
            break;
        default:
            return;
        }
        flickable.contentY = Math.min(Math.max(to, top), bottom);
        event.accepted = true;
    }
}
