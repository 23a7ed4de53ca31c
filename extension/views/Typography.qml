pragma Singleton
import QtQuick

// Text sizes of the desktop's type ramp, in device-independent pixels.
QtObject {
    readonly property int caption: 10
    readonly property int subheadline: 11
    readonly property int body: 13
    readonly property int headline: 13
    readonly property int title2: 17
    readonly property int title: 22
    readonly property int largeTitle: 24
    // The padding a desktop control gets by default.
    readonly property int padding: 12
}
