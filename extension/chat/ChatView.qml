pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Quorvane.Extension

// The chat about the message being answered: questions and answers as bubbles, and the field
// in which the next question is typed.
ScreenItem {
    id: root

    required property ComposeWindow window
    readonly property ChatViewState viewState: ChatViewState { window: root.window }
    readonly property int bubbleWidth: 300

    implicitWidth: PanelSize.minimumWidth
    implicitHeight: 400
    onAppeared: viewState.loadMessages()
    onDisappeared: viewState.saveMessages()

    BackgroundView { anchors.fill: parent }

    // An answer is heard as it arrives rather than only drawn: an alert turns visible with it,
    // Qt 6.4 having no announcement. Hidden again while the next one is awaited.
    Item {
        id: answerAlert

        property bool awaited: false
        property string answer

        objectName: "chatAnswer"
        anchors.fill: parent
        Accessible.role: Accessible.AlertMessage
        Accessible.name: answer
        visible: false

        function arrived(text: string) {
            if (awaited) {
                awaited = false;
                answer = text;
                visible = true;
            }
        }

        Connections {
            target: root.viewState
            function onIsLoadingChanged() {
                if (root.viewState.isLoading) {
                    answerAlert.visible = false;
                    answerAlert.awaited = true;
                }
            }
        }
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: Typography.padding
        spacing: 8

        Item { Layout.fillHeight: true }

        // The list clips what it holds, so its focus ring is drawn beside it.
        Item {
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.preferredHeight: 300
            Layout.maximumHeight: 300

            FocusRing {
                target: list
                radius: 6
                shown: list.activeFocus
            }

            ListView {
                id: list
                objectName: "chatList"
                anchors.fill: parent
                clip: true
                // A tab stop, so that a keyboard scrolls the history too.
                activeFocusOnTab: true
                Accessible.role: Accessible.List
                //: The list of questions and answers, as a screen reader names it.
                Accessible.name: qsTr("Conversation")
                Keys.onPressed: event => ScrollKeys.press(event, list)
                model: root.viewState.messages
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }

                // Rows are laid out after the change that adds them, so the scroll waits for that.
                function showLast() { scroll.restart() }
                onCountChanged: showLast()
                onHeightChanged: showLast()
                Timer {
                    id: scroll
                    interval: 0
                    onTriggered: list.positionViewAtEnd()
                }
                Connections {
                    target: root.viewState.chatError
                    function onTextChanged() { list.showLast() }
                }

                delegate: Item {
                    id: row

                    required property int index
                    required property var model
                    readonly property bool question: model.isSentByCurrentUser
                    readonly property real room: ListView.view.width - 10

                    width: ListView.view.width
                    height: column.implicitHeight + 10
                    Component.onCompleted: if (!question && index === list.count - 1) answerAlert.arrived(bubble.content)

                    Column {
                        id: column
                        x: 5
                        y: 5
                        width: row.room

                        Rectangle {
                            id: bubble

                            readonly property string content:
                                (row.question ? row.model.text : row.model.response) ?? ""

                            Accessible.role: Accessible.StaticText
                            Accessible.name: content
                            Accessible.description: row.question ? qsTr("Your question") : qsTr("Answer")
                            // Past this, a bubble scrolls its text and lays it out piece by piece.
                            readonly property bool scrolls: content.length > 4000

                            anchors.right: row.question ? parent.right : undefined
                            // A long text fills the bubble anyway; not asking for its natural
                            // width spares a second layout of all of it.
                            width: Math.min(bubble.content.length > 1000 ? root.bubbleWidth : body.implicitWidth,
                                            root.bubbleWidth, row.room)
                            height: scrolls ? longBody.height + 2 * Typography.padding : body.implicitHeight
                            radius: 10
                            color: row.question ? ColorScheme.questionBubble : "transparent"
                            // A hairline: a whole pixel at half strength, which the software
                            // renderer draws evenly where a half pixel may vanish.
                            border.color: row.question ? "transparent"
                                                       : Qt.rgba(ColorScheme.primary.r, ColorScheme.primary.g,
                                                                 ColorScheme.primary.b, 0.5)
                            border.width: row.question ? 0 : 1

                            TextEdit {
                                id: body
                                Accessible.ignored: true
                                visible: !bubble.scrolls
                                width: parent.width
                                padding: Typography.padding
                                text: bubble.scrolls ? "" : bubble.content
                                textFormat: TextEdit.PlainText
                                wrapMode: TextEdit.Wrap
                                readOnly: true
                                selectByMouse: true
                                persistentSelection: false
                                color: row.question ? "white" : ColorScheme.primary
                                selectionColor: row.question ? Qt.darker(ColorScheme.questionBubble, 1.6)
                                                             : palette.highlight
                                font.pixelSize: Typography.body
                            }
                            LongText {
                                id: longBody
                                // The list scrolls from the keyboard, and a row's focus would go
                                // with the row as it scrolls away.
                                activeFocusOnTab: false
                                visible: bubble.scrolls
                                x: Typography.padding - padding
                                y: Typography.padding
                                width: parent.width - 2 * x
                                height: Math.min(contentHeight, 300)
                                text: bubble.scrolls ? bubble.content : ""
                                textColor: row.question ? "white" : ColorScheme.primary
                            }
                        }
                        // Not a Label: a Label makes itself plain text to a screen reader.
                        Text {
                            objectName: "chatError"
                            // Shown and hidden, so that the platform hears of it; shown only once
                            // its own text is set, so that it is never announced empty.
                            Accessible.role: Accessible.AlertMessage
                            Accessible.name: text
                            anchors.right: parent.right
                            width: Math.min(implicitWidth, row.room)
                            visible: row.question && row.index === list.count - 1 && text !== ""
                            topPadding: 2
                            text: FixedText.shown(root.viewState.chatError.text ?? "")
                            font.italic: true
                            font.pixelSize: Typography.body
                            color: ColorScheme.red
                            wrapMode: Text.Wrap
                            horizontalAlignment: Text.AlignRight
                        }
                    }
                }
            }
        }

        RowLayout {
            Layout.fillWidth: true
            spacing: 8

            TextField {
                id: chatInput
                objectName: "chatInput"
                Layout.fillWidth: true
                Layout.preferredHeight: 40
                leftPadding: Typography.padding
                rightPadding: Typography.padding
                placeholderText: qsTr("Ask questions here")
                Accessible.name: placeholderText
                placeholderTextColor: ColorScheme.secondary
                color: ColorScheme.secondary
                font.pixelSize: Typography.body
                text: root.viewState.newMessageText
                onTextChanged: root.viewState.newMessageText = text
                onAccepted: root.viewState.submitMessage()
                background: Rectangle {
                    color: "transparent"
                    radius: 10
                    // The field's focus ring.
                    border.color: chatInput.activeFocus ? ColorScheme.focusRing : ColorScheme.secondary
                    border.width: chatInput.activeFocus ? 2 : 1
                }
            }
            ActivityIndicator {
                objectName: "chatProgress"
                name: qsTr("Waiting for the answer")
                running: root.viewState.isLoading
                Layout.preferredWidth: 28
                Layout.preferredHeight: 28
                Layout.rightMargin: 4
            }
            KeyButton {
                objectName: "chatSendButton"
                visible: !root.viewState.isLoading
                implicitWidth: 32
                implicitHeight: 32
                ringRadius: 8
                opacity: pressed ? 0.6 : 1
                Accessible.name: qsTr("Send question")
                onClicked: root.viewState.submitMessage()

                TintedIcon {
                    anchors.centerIn: parent
                    width: 18
                    height: 18
                    source: "icons/paperplane.svg"
                    color: ColorScheme.primary
                }
            }
        }

        Item { Layout.fillHeight: true }
    }
}
