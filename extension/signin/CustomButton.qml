import QtQuick
import Quorvane.Extension

// A filled capsule of a fixed size with white text and an optional icon.
PillButton {
    property string title

    label: title
    implicitWidth: 200
    implicitHeight: 40
    inset: Typography.padding
}
