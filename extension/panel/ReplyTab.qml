import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
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
    Loader {
        anchors.centerIn: parent
        width: parent.width - 10
        height: Math.max(Math.min(implicitHeight, 500), Math.min(200, parent.height - 10))
        active: !tab.panel.showsRegenerateLayout

        sourceComponent: ColumnLayout {
            spacing: 10

            Item { Layout.fillHeight: true }
            Label {
                Layout.fillWidth: true
                text: qsTr("Generate instant responses based on the selected email.")
                font.pixelSize: Typography.body
                font.weight: Font.Light
                color: ColorScheme.primary
                wrapMode: Text.Wrap
            }
            SessionButton {
                objectName: "generateResponseButton"
                label: qsTr("Generate response")
                iconName: "captions"
                backgroundColor: ColorScheme.indigo
                onClicked: tab.panel.generateReply()
            }
            Item { Layout.fillHeight: true }
        }
    }

    Loader {
        anchors.fill: parent
        anchors.margins: 5
        active: tab.panel.showsRegenerateLayout

        sourceComponent: ColumnLayout {
            spacing: 10

            SessionButton {
                objectName: "regenerateResponseButton"
                label: qsTr("Regenerate response")
                iconName: "repeat"
                borderColor: ColorScheme.purple
                onClicked: tab.panel.generateReply()
            }
            Label {
                Layout.fillWidth: true
                text: qsTr("Regenerating a response will use additional tokens")
                font.pixelSize: Typography.body
                font.italic: true
                font.weight: Font.Light
                color: ColorScheme.primary
                wrapMode: Text.Wrap
            }
            LongText {
                objectName: "replyText"
                Accessible.description: qsTr("Drafted reply")
                Layout.fillWidth: true
                Layout.fillHeight: true
                text: tab.buttonStateManager.generateResponse ?? ""
            }
            RowLayout {
                Layout.fillWidth: true
                spacing: 6

                SessionButton {
                    objectName: "submitTrainingButton"
                    Layout.preferredWidth: 1
                    label: qsTr("Submit to train AI")
                    iconName: "info"
                    borderColor: ColorScheme.blue
                    onClicked: tab.panel.sendTrainingExample()
                }
                SessionButton {
                    objectName: "copyButton"
                    Layout.preferredWidth: 1
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
