import QtQuick
import QtQuick.Controls.Fusion
import Quorvane.Extension

// Read-only text of any length: laid out a paragraph at a time as it scrolls into view, so a
// reply of a megabyte opens as fast as a short one.
ListView {
    id: view

    property string text
    property real padding: 5

    clip: true
    boundsBehavior: Flickable.StopAtBounds
    model: text.length > 0 ? text.split("\n") : []
    ScrollBar.vertical: ScrollBar {
        policy: view.contentHeight > view.height ? ScrollBar.AlwaysOn : ScrollBar.AlwaysOff
    }

    delegate: TextEdit {
        required property string modelData

        x: view.padding
        width: view.width - 2 * view.padding - 10
        text: modelData
        textFormat: TextEdit.PlainText
        readOnly: true
        selectByMouse: true
        wrapMode: TextEdit.Wrap
        color: ColorScheme.primary
        selectionColor: ColorScheme.blue
        font.pixelSize: Typography.body
    }
    header: Item { height: view.padding }
}
