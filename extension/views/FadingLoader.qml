import QtQuick

// Makes its view only while it shows or fades out, so that a panel opens without the notices
// it may never show, and fades it in and out.
Loader {
    id: loader

    property bool shown: false
    property int duration: 200

    active: shown || opacity > 0
    opacity: shown ? 1 : 0
    visible: active

    Behavior on opacity { NumberAnimation { duration: loader.duration } }
}
