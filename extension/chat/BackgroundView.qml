import QtQuick
import Quorvane.Extension

// The chat's background: white in light appearance; in dark, whatever lies beneath.
Rectangle {
    color: ColorScheme.dark ? "transparent" : "white"
}
