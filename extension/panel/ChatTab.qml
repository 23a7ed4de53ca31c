import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Quorvane.Extension

// Custom response: a chat about the message, made when the tab is first opened and kept as
// long as the panel.
ColumnLayout {
    id: tab

    required property ComposeWindow window
    property bool opened: false

    spacing: 5

    Label {
        Layout.fillWidth: true
        Layout.margins: 5
        text: qsTr("Provide specific prompts to the AI assistant for more detailed and personalized reply options.")
        font.pixelSize: Typography.body
        font.weight: Font.Light
        color: ColorScheme.primary
        wrapMode: Text.Wrap
    }
    Loader {
        active: tab.opened
        Layout.fillWidth: true
        Layout.fillHeight: true
        Layout.margins: 5

        // qmllint disable unqualified
        sourceComponent: ChatView { window: tab.window }
        // qmllint enable unqualified
    }
}
