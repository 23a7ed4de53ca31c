import QtQuick
import QtQuick.Controls
import Quorvane.Container

ApplicationWindow {
    id: window

    required property ItemListModel model

    width: 720
    height: 480
    visible: true
    title: "Quorvane"

    ContentView {
        anchors.fill: parent
        model: window.model
    }
}
