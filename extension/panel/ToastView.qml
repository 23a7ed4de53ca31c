import QtQuick
import QtQuick.Controls.Fusion
import Quorvane.Extension

// A message strip centred at the bottom of the area it covers.
Item {
    id: toast

    // In English, as the state sets it.
    property string message
    readonly property alias stripHeight: strip.height

    // There is no announcement in Qt 6.4: an alert that shows and hides is what the platform
    // hears of.
    Accessible.role: Accessible.AlertMessage
    Accessible.name: label.text

    Rectangle {
        id: strip
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 40
        width: Math.min(parent.width - 2 * Typography.padding, label.implicitWidth + 2 * Typography.padding)
        height: label.implicitHeight + 2 * Typography.padding
        radius: 8
        color: "black"

        Label {
            id: label
            anchors.fill: parent
            anchors.margins: Typography.padding
            text: FixedText.shown(toast.message)
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
