pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Quorvane.Extension

// The hidden developer menu: which backend deployment to use, and the version.
Rectangle {
    id: menu

    required property EndpointSelection selection

    component Segment: KeyButton {
        id: segment

        required property string value
        property string text
        readonly property bool selected: menu.selection.selectedApiEndpoint === value

        implicitWidth: title.implicitWidth + 20
        implicitHeight: 24
        ringRadius: 8
        Accessible.role: Accessible.RadioButton
        Accessible.name: text
        Accessible.checkable: true
        Accessible.checked: selected
        onClicked: menu.selection.select(value)

        Rectangle {
            anchors.fill: parent
            radius: 5
            color: segment.selected ? ColorScheme.accentPurple : "transparent"
        }
        Text {
            id: title
            Accessible.ignored: true
            anchors.fill: parent
            text: segment.text
            color: segment.selected ? "white" : ColorScheme.primary
            font.pixelSize: Typography.subheadline
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }
    }

    objectName: "developerMenu"
    Accessible.role: Accessible.Grouping
    Accessible.name: qsTr("Developer menu")
    implicitHeight: rows.implicitHeight + 10
    color: ColorScheme.controlBackground
    radius: 10
    border.color: ColorScheme.separator
    border.width: 1

    ColumnLayout {
        id: rows
        anchors.fill: parent
        anchors.margins: 5
        spacing: 0

        RowLayout {
            Layout.margins: 5
            Layout.topMargin: 10
            spacing: 8

            Label {
                id: pickerLabel
                text: qsTr("Select API endpoint")
                font.pixelSize: Typography.caption
                color: ColorScheme.primary
            }
            Rectangle {
                objectName: "endpointPicker"
                Accessible.role: Accessible.Grouping
                Accessible.name: pickerLabel.text
                implicitWidth: segments.implicitWidth + 4
                implicitHeight: segments.implicitHeight + 4
                radius: 6
                color: "transparent"
                border.color: ColorScheme.separator

                Row {
                    id: segments
                    anchors.centerIn: parent
                    spacing: 2

                    Segment {
                        objectName: "endpointDev"
                        //: The development deployment of the backend.
                        text: qsTr("Dev")
                        value: "dev"
                    }
                    Segment {
                        objectName: "endpointStaging"
                        //: The staging deployment of the backend, where releases are tried.
                        text: qsTr("Staging")
                        value: "staging"
                    }
                    Segment {
                        objectName: "endpointLive"
                        //: The live deployment of the backend, the one people use.
                        text: qsTr("Live")
                        value: "live"
                    }
                }
            }
        }
        RowLayout {
            Layout.margins: 5
            Layout.topMargin: 10
            spacing: 8

            Label {
                //: The extension's version number follows.
                text: qsTr("Version")
                font.pixelSize: Typography.caption
                color: ColorScheme.primary
            }
            Label {
                text: menu.selection.appVersion
                textFormat: Text.PlainText
                font.pixelSize: Typography.caption
                color: ColorScheme.primary
            }
        }
    }
}
