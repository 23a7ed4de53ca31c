import QtQuick
import Quorvane.Extension

// A capsule as wide as its content inside a full-width outline.
PillButton {
    id: control

    // Outlined buttons keep more room round the capsule.
    readonly property real wantedInset: borderColor.a > 0 ? 27.5 : 8

    implicitWidth: contentWidth + 2 * wantedInset
    implicitHeight: pillHeight
    // Where room is short the capsule's ends give way before the label is cut.
    pillWidth: contentWidth + 2 * Math.max(8, Math.min(wantedInset, (width - contentWidth) / 2))
    pillHeight: contentHeight + 16
}
