import QtQuick
import QtQuick.Controls.Fusion
import Quorvane.Extension

// Read-only text of any length: laid out a piece at a time as it scrolls into view, so a
// text of a megabyte opens as fast as a short one.
ListView {
    id: view

    property string text
    property real padding: 5
    property color textColor: ColorScheme.primary
    readonly property bool overflows: contentHeight > height

    // Paragraphs, and long ones cut at a space, so that no piece takes long to lay out.
    function pieces(whole) {
        const limit = 2000;
        const result = [];
        for (const paragraph of whole.split("\n")) {
            let rest = paragraph;
            while (rest.length > limit) {
                const space = rest.lastIndexOf(" ", limit);
                const cut = space > 0 ? space + 1 : limit;
                result.push(rest.slice(0, cut));
                rest = rest.slice(cut);
            }
            result.push(rest);
        }
        return result;
    }

    function addScrollBar() {
        if (overflows && !ScrollBar.vertical) {
            ScrollBar.vertical = scrollBar.createObject(view);
        }
    }

    // Read as one text: the pieces that happen to be laid out are not the whole of it.
    Accessible.role: Accessible.StaticText
    Accessible.name: text
    clip: true
    boundsBehavior: Flickable.StopAtBounds
    model: text.length > 0 ? pieces(text) : []

    // The scroll bar is the costliest part of a short text, and most texts never overflow: it is
    // made once the text does after its layout has settled, not on the way there.
    onOverflowsChanged: if (overflows) settled.restart()

    Timer {
        id: settled
        interval: 0
        onTriggered: view.addScrollBar()
    }

    // Bound delegates are made before this view completes and refused (Qt 6.4), so the pieces
    // and the scroll bar reach the view by its id.
    // qmllint disable unqualified
    Component {
        id: scrollBar

        ScrollBar {
            policy: view.overflows ? ScrollBar.AlwaysOn : ScrollBar.AlwaysOff
        }
    }

    delegate: TextEdit {
        required property string modelData

        Accessible.ignored: true
        x: view.padding
        width: view.width - 2 * view.padding - 10
        text: modelData
        textFormat: TextEdit.PlainText
        readOnly: true
        selectByMouse: true
        wrapMode: TextEdit.Wrap
        color: view.textColor
        selectionColor: ColorScheme.blue
        font.pixelSize: Typography.body
    }
    header: Item { height: view.padding }
    // qmllint enable unqualified
}
