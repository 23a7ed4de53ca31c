import QtQuick
import Quorvane.Extension

// The spinning indicator, in the text colour so that it shows in light and dark; it shows
// only while it spins.
Item {
    id: indicator

    property bool running: true
    // What it waits for, for a screen reader.
    property string name

    visible: running
    Accessible.role: Accessible.Animation
    Accessible.name: name
    implicitWidth: 32
    implicitHeight: 32

    TintedIcon {
        anchors.fill: parent
        source: "icons/spinner.svg"
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
