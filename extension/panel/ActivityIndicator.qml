import QtQuick
import QtQuick.Controls.Fusion

// The spinning indicator; it shows only while it spins.
BusyIndicator {
    running: true
    visible: running
}
