import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts

// The host's compose window: recipients, subject and text on the left, the extension's area
// on the right.
Rectangle {
    id: window

    property alias to: toField.text
    property alias subject: subjectField.text
    property alias body: bodyArea.text
    property size extensionMinimum: Qt.size(0, 0)
    property size extensionMaximum: Qt.size(0, 0)
    readonly property Item extensionArea: area

    color: palette.window

    RowLayout {
        anchors.fill: parent
        anchors.margins: 8
        spacing: 8

        ColumnLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            spacing: 6

            GridLayout {
                columns: 2
                Layout.fillWidth: true
                Label { text: qsTr("To:") }
                TextField { id: toField; objectName: "composeTo"; Layout.fillWidth: true }
                Label { text: qsTr("Subject:") }
                TextField { id: subjectField; objectName: "composeSubject"; Layout.fillWidth: true }
            }
            ScrollView {
                Layout.fillWidth: true
                Layout.fillHeight: true
                TextArea { id: bodyArea; objectName: "composeBody"; wrapMode: TextEdit.Wrap }
            }
        }
        Item {
            id: area
            visible: window.extensionMaximum.width > 0
            Layout.fillHeight: true
            Layout.minimumWidth: window.extensionMinimum.width
            Layout.maximumWidth: window.extensionMaximum.width
            Layout.preferredWidth: window.extensionMinimum.width
            Layout.minimumHeight: window.extensionMinimum.height
            Layout.maximumHeight: window.extensionMaximum.height
        }
    }
}
