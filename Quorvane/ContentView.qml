pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Quorvane.Container

// The item list beside the chosen item's time.
Item {
    id: root

    required property ItemListModel model

    ToolBar {
        id: toolbar

        anchors.left: parent.left
        anchors.right: parent.right

        RowLayout {
            anchors.fill: parent

            Item {
                Layout.fillWidth: true
            }
            ToolButton {
                objectName: "addItemButton"
                text: "Add Item"
                icon.source: "plus.svg"
                display: AbstractButton.TextBesideIcon
                onClicked: root.model.addItem()
            }
        }
    }

    // Wherever the focus is in the window, as the list's delete command.
    Shortcut {
        sequences: ["Del", "Backspace"]
        onActivated: root.model.deleteChosen()
    }

    SplitView {
        anchors.top: toolbar.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom

        ListView {
            id: list

            objectName: "itemList"
            SplitView.minimumWidth: 180
            SplitView.preferredWidth: 200
            clip: true
            focus: true
            activeFocusOnTab: true
            keyNavigationEnabled: false
            model: root.model

            // Up and Down choose the row above or below the one chosen last.
            function step(by: int) {
                if (count > 0) {
                    currentIndex = Math.max(0, Math.min(count - 1, currentIndex + by));
                    root.model.choose(currentIndex, false);
                }
            }
            Keys.onUpPressed: step(-1)
            Keys.onDownPressed: step(1)

            delegate: ItemDelegate {
                id: row

                required property int index
                required property string label
                required property bool selected

                objectName: "itemRow" + index
                width: ListView.view.width
                text: label
                highlighted: selected
                TapHandler {
                    acceptedModifiers: Qt.NoModifier
                    onTapped: {
                        root.model.choose(row.index, false);
                        list.currentIndex = row.index;
                        list.forceActiveFocus();
                    }
                }
                TapHandler {
                    acceptedModifiers: Qt.ControlModifier
                    onTapped: {
                        root.model.choose(row.index, true);
                        list.currentIndex = row.index;
                        list.forceActiveFocus();
                    }
                }
            }
        }

        Label {
            objectName: "detailText"
            SplitView.fillWidth: true
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            text: root.model.detailText
        }
    }
}
