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
            model: root.model

            Keys.onDeletePressed: root.model.deleteChosen()
            Keys.onPressed: event => {
                if (event.key === Qt.Key_Backspace) {
                    root.model.deleteChosen();
                    event.accepted = true;
                }
            }

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
                        list.forceActiveFocus();
                    }
                }
                TapHandler {
                    acceptedModifiers: Qt.ControlModifier
                    onTapped: {
                        root.model.choose(row.index, true);
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
