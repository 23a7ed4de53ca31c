import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts

// The host's compose window: recipients, subject, the text being written and the quoted
// original on the left, the extension's area on the right.
Rectangle {
    id: window

    property alias to: toField.text
    property alias subject: subjectField.text
    property string attribution
    property QtObject quote
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
                TextField {
                    id: toField
                    objectName: "composeTo"
                    Accessible.name: qsTr("To")
                    Layout.fillWidth: true
                }
                Label { text: qsTr("Subject:") }
                TextField {
                    id: subjectField
                    objectName: "composeSubject"
                    Accessible.name: qsTr("Subject")
                    Layout.fillWidth: true
                }
            }
            Frame {
                Layout.fillWidth: true
                Layout.fillHeight: true
                padding: 1
                background: Rectangle { color: palette.base; border.color: palette.mid }

                ListView {
                    id: text
                    objectName: "composeText"
                    Accessible.name: qsTr("Quoted message")
                    anchors.fill: parent
                    clip: true
                    boundsBehavior: Flickable.StopAtBounds
                    model: window.quote
                    ScrollBar.vertical: ScrollBar {}
                    // Sized by bindings, not a positioner, so that the view knows the header's
                    // height when it first lays it out and opens on it, however long the quote.
                    header: Item {
                        width: ListView.view.width
                        height: body.height + (attributionLine.visible ? attributionLine.height : 0)
                        TextArea {
                            id: body
                            objectName: "composeBody"
                            Accessible.name: qsTr("Message")
                            // Tab goes on to the extension's area, as from every other field.
                            Keys.onTabPressed: nextItemInFocusChain(true).forceActiveFocus(Qt.TabFocusReason)
                            Keys.onBacktabPressed: nextItemInFocusChain(false).forceActiveFocus(Qt.BacktabFocusReason)
                            width: parent.width
                            height: Math.max(implicitHeight, 96)
                            wrapMode: TextEdit.Wrap
                            background: null
                        }
                        Label {
                            id: attributionLine
                            y: body.height
                            visible: window.attribution !== ""
                            width: parent.width
                            leftPadding: 6
                            rightPadding: 6
                            text: window.attribution
                            textFormat: Text.PlainText
                            wrapMode: Text.Wrap
                            color: palette.placeholderText
                        }
                    }
                    delegate: Label {
                        required property string display
                        width: ListView.view.width
                        leftPadding: 6
                        rightPadding: 6
                        text: display
                        textFormat: Text.PlainText
                        wrapMode: Text.Wrap
                        color: palette.placeholderText
                    }
                }
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
