import QtQuick
import QtQuick.Controls.Fusion
import Quorvane.Extension

// Read-only text of any length. A short one is one piece, made at once; a long one is cut into
// pieces laid out as they scroll into view, so that a text of a megabyte opens as fast as a
// short one.
Item {
    id: view

    property string text
    property real padding: 5
    property color textColor: ColorScheme.primary
    // No piece is longer, so that none takes long to lay out.
    readonly property int pieceLength: 2000
    readonly property bool cut: text.length > pieceLength
    readonly property Flickable scroller: cut ? lazyPieces.item as Flickable : whole
    readonly property real contentHeight: scroller ? scroller.contentHeight : 0
    readonly property bool overflows: contentHeight > height

    // Paragraphs, and long ones cut at a space.
    function pieces(all) {
        const result = [];
        for (const paragraph of all.split("\n")) {
            let rest = paragraph;
            while (rest.length > pieceLength) {
                const space = rest.lastIndexOf(" ", pieceLength);
                const end = space > 0 ? space + 1 : pieceLength;
                result.push(rest.slice(0, end));
                rest = rest.slice(end);
            }
            result.push(rest);
        }
        return result;
    }

    function addScrollBar() {
        if (overflows && !scroller.ScrollBar.vertical) {
            scroller.ScrollBar.vertical = scrollBar.createObject(scroller);
        }
    }

    // Read as one text: the pieces that happen to be laid out are not the whole of it.
    Accessible.role: Accessible.StaticText
    Accessible.name: text
    Accessible.focusable: true
    // A tab stop, so that a keyboard scrolls it too.
    activeFocusOnTab: true
    Keys.onPressed: event => ScrollKeys.press(event, view.scroller)

    // The scroll bar is the costliest part of a short text, and most texts never overflow: it is
    // made once the text does after its layout has settled, not on the way there.
    onOverflowsChanged: if (overflows) settled.restart()

    Timer {
        id: settled
        interval: 0
        onTriggered: view.addScrollBar()
    }

    // Placed and coloured where it is used: bindings of an inline component to the view would
    // be evaluated by the interpreter rather than compiled.
    component Piece: TextEdit {
        Accessible.ignored: true
        textFormat: TextEdit.PlainText
        readOnly: true
        selectByMouse: true
        wrapMode: TextEdit.Wrap
        selectionColor: ColorScheme.blue
        font.pixelSize: Typography.body
    }

    Flickable {
        id: whole
        anchors.fill: parent
        visible: !view.cut
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        contentHeight: piece.height + view.padding

        Piece {
            id: piece
            x: view.padding
            y: view.padding
            width: view.width - 2 * view.padding - 10
            color: view.textColor
            text: view.cut ? "" : view.text
        }
    }

    // Bound delegates are made before the list completes and refused (Qt 6.4), so the pieces,
    // the list and the scroll bar reach the view by its id.
    // qmllint disable unqualified
    Loader {
        id: lazyPieces
        anchors.fill: parent
        active: view.cut

        sourceComponent: ListView {
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            model: view.pieces(view.text)
            delegate: Piece {
                required property string modelData
                x: view.padding
                width: view.width - 2 * view.padding - 10
                color: view.textColor
                text: modelData
            }
            header: Item { height: view.padding }
        }
    }

    FocusRing {
        shown: view.activeFocus
    }

    Component {
        id: scrollBar

        ScrollBar {
            policy: view.overflows ? ScrollBar.AlwaysOn : ScrollBar.AlwaysOff
        }
    }
    // qmllint enable unqualified
}
