import QtQuick
import QtQuick.Controls.Fusion

// The product's logo: the bundled artwork, else the bundle's "logo" image, else a red circle.
Item {
    id: view

    property url assetSource: "icons/quorvaneLogo.svg"
    property url resourceSource: "qrc:/quorvane/logo.png"

    implicitWidth: 70
    implicitHeight: 70
    // The product's name is written beside it.
    Accessible.ignored: true

    Image {
        id: asset
        anchors.fill: parent
        source: view.assetSource
        sourceSize.width: 140
        sourceSize.height: 140
        visible: status === Image.Ready
    }
    Image {
        id: resource
        anchors.fill: parent
        source: asset.status === Image.Error ? view.resourceSource : ""
        visible: status === Image.Ready
    }
    Rectangle {
        objectName: "logoFallback"
        anchors.fill: parent
        radius: 35
        color: "red"
        visible: asset.status === Image.Error && resource.status === Image.Error

        Label {
            anchors.centerIn: parent
            width: parent.width
            text: qsTr("Failed to load image")
            color: "white"
            font.pixelSize: 9
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
        }
    }
}
