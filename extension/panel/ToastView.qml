import QtQuick
import Quorvane.Extension

// A message strip centred at the bottom or the top of the area it covers, fading in and out.
Item {
    id: toast

    property bool shown: false
    // At the top rather than the bottom, where the bottom holds a field it would cover, and
    // then this far down.
    property bool atTop: false
    property real topMargin: Typography.padding
    // In English, as the state sets it.
    property string message
    readonly property alias stripHeight: strip.height
    readonly property string shownMessage: FixedText.shown(message)

    // Qt 6.4 has no announcement: an alert that turns visible and hidden is what the platform
    // hears of, so the toast is hidden once faded rather than made and dropped.
    Accessible.role: Accessible.AlertMessage
    Accessible.name: shownMessage
    opacity: shown ? 1 : 0
    visible: opacity > 0
    // The strip is made the first time it shows, since most panels never show one, and kept.
    onShownChanged: if (shown) strip.active = true

    Behavior on opacity { NumberAnimation { duration: 250 } }

    // qmllint disable unqualified
    Loader {
        id: strip
        anchors.horizontalCenter: parent.horizontalCenter
        // Placed rather than anchored: an anchor that moves from bottom to top holds both for a
        // moment, and the strip would keep the height that gave it.
        y: toast.atTop ? toast.topMargin : toast.height - height - 40
        active: false

        sourceComponent: Rectangle {
            objectName: "toastStrip"
            width: Math.min(toast.width - 2 * Typography.padding, label.implicitWidth + 2 * Typography.padding)
            height: label.implicitHeight + 2 * Typography.padding
            radius: 8
            color: "black"
            // On a dark window the black strip would not stand out without its edge.
            border.width: ColorScheme.dark ? 1 : 0
            border.color: ColorScheme.separator

            Text {
                id: label
                anchors.fill: parent
                anchors.margins: Typography.padding
                text: toast.shownMessage
                Accessible.ignored: true
                textFormat: Text.PlainText
                color: "white"
                font.pixelSize: Typography.body
                wrapMode: Text.Wrap
                maximumLineCount: 4
                elide: Text.ElideRight
                horizontalAlignment: Text.AlignHCenter
            }
        }
    }
    // qmllint enable unqualified
}
