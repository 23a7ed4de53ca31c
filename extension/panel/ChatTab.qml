import QtQuick
import Quorvane.Extension

// Custom response: a chat about the message, made with its prompt when the tab is first opened
// and kept as long as the panel.
Loader {
    id: tab

    required property ComposeWindow window
    property bool opened: false
    // Where the prompt above the chat ends, once the chat is made.
    property real promptBottom: 0

    active: opened

    // qmllint disable unqualified
    sourceComponent: Item {
        Text {
            id: prompt
            objectName: "chatPrompt"
            Accessible.role: Accessible.StaticText
            Accessible.name: text
            x: 5
            y: 5
            width: parent.width - 10
            text: qsTr("Provide specific prompts to the AI assistant for more detailed and personalized reply options.")
            font.pixelSize: Typography.body
            font.weight: Font.Light
            color: ColorScheme.primary
            wrapMode: Text.Wrap
        }
        Binding {
            target: tab
            property: "promptBottom"
            value: prompt.y + prompt.height
        }
        ChatView {
            anchors.top: prompt.bottom
            anchors.bottom: parent.bottom
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.margins: 5
            anchors.topMargin: 15
            window: tab.window
        }
    }
    // qmllint enable unqualified
}
