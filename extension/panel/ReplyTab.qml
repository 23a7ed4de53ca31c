import QtQuick
import Quorvane.Extension

// Quick response: one press drafts a reply; once one is stored it is shown with the buttons
// that regenerate, copy or submit it.
Item {
    id: tab

    required property SessionPanel panel
    required property ButtonStateManager buttonStateManager

    // Each layout is made only while it shows. Loaders here cannot bind their components to
    // this file (Qt 6.4 refuses to make them), so the layouts reach the tab by its id.
    // qmllint disable unqualified

    // Centred, or from the top where the tab is too low for it.
    Loader {
        id: firstTime
        x: 5
        y: Math.max(0, (parent.height - height) / 2)
        width: parent.width - 10
        active: !tab.panel.showsRegenerateLayout

        sourceComponent: Column {
            spacing: 10

            Text {
                Accessible.role: Accessible.StaticText
                Accessible.name: text
                width: parent.width
                text: qsTr("Generate instant responses based on the selected email.")
                font.pixelSize: Typography.body
                font.weight: Font.Light
                color: ColorScheme.primary
                wrapMode: Text.Wrap
            }
            SessionButton {
                objectName: "generateResponseButton"
                width: parent.width
                label: qsTr("Generate response")
                iconName: "captions"
                backgroundColor: ColorScheme.indigo
                onClicked: tab.panel.generateReply()
            }
        }
    }

    // The reply takes the height that the texts and buttons round it leave.
    Loader {
        x: 5
        y: 5
        width: parent.width - 10
        height: parent.height - 10
        active: tab.panel.showsRegenerateLayout
        // The keyboard was on "Generate response", which went with its layout.
        onLoaded: if (firstTime.activeFocus) forceActiveFocus(InputOrigin.focusReason())

        sourceComponent: Item {
            SessionButton {
                id: regenerate
                objectName: "regenerateResponseButton"
                // Where the layout's focus goes when it takes the keyboard's.
                focus: true
                width: parent.width
                label: qsTr("Regenerate response")
                iconName: "repeat"
                borderColor: ColorScheme.purple
                onClicked: tab.panel.generateReply()
            }
            Text {
                id: cost
                Accessible.role: Accessible.StaticText
                Accessible.name: text
                anchors.top: regenerate.bottom
                anchors.topMargin: 10
                width: parent.width
                text: qsTr("Regenerating a response will use additional tokens")
                font.pixelSize: Typography.body
                font.italic: true
                font.weight: Font.Light
                color: ColorScheme.primary
                wrapMode: Text.Wrap
            }
            // Where the tab is too low for all of it, the buttons go below its end rather
            // than over the texts.
            LongText {
                id: reply
                objectName: "replyText"
                Accessible.description: qsTr("Drafted reply")
                anchors.top: cost.bottom
                anchors.topMargin: 10
                width: parent.width
                height: Math.max(0, parent.height - y - actions.height - 10)
                text: tab.buttonStateManager.generateResponse ?? ""
            }
            // Two buttons of one width, whatever their labels.
            Row {
                id: actions
                anchors.top: reply.bottom
                anchors.topMargin: 10
                width: parent.width
                spacing: 6

                SessionButton {
                    objectName: "submitTrainingButton"
                    width: (actions.width - actions.spacing) / 2
                    label: qsTr("Submit to train AI")
                    iconName: "info"
                    borderColor: ColorScheme.blue
                    onClicked: tab.panel.sendTrainingExample()
                }
                SessionButton {
                    objectName: "copyButton"
                    width: (actions.width - actions.spacing) / 2
                    label: qsTr("Copy to clipboard")
                    iconName: "copy"
                    backgroundColor: ColorScheme.blue
                    borderColor: ColorScheme.blue
                    onClicked: tab.panel.copyReply()
                }
            }
        }
    }
    // qmllint enable unqualified
}
