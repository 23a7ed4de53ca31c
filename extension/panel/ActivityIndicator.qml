import QtQuick
import QtQuick.Controls.impl
import Quorvane.Extension

// The spinning indicator, in the text colour so that it shows in light and dark; it shows
// only while it spins.
Item {
    id: indicator

    property bool running: true

    visible: running
    implicitWidth: 32
    implicitHeight: 32

    IconImage {
        anchors.fill: parent
        source: "icons/spinner.svg"
        sourceSize: Qt.size(width * 2, height * 2)
        color: ColorScheme.primary

        RotationAnimator on rotation {
            from: 0
            to: 360
            duration: 900
            loops: Animation.Infinite
            running: indicator.running && indicator.visible
        }
    }
}
