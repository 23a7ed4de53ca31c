import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Quorvane.Extension

// Shown while nobody is signed in: the logo, what signing in is for, and the login button.
ScreenItem {
    id: root

    required property LoginViewState viewState


    objectName: "loginView"
    // Escape closes the developer menu wherever the view's focus is.
    Keys.onEscapePressed: event => {
        event.accepted = root.viewState.showDeveloperMenu;
        root.viewState.showDeveloperMenu = false;
    }
    implicitWidth: PanelSize.minimumWidth
    implicitHeight: viewState.customHeight
    onAppeared: viewState.appear(root)
    onDisappeared: viewState.disappear()

    Rectangle {
        anchors.fill: parent
        color: ColorScheme.controlBackground
    }

    ColumnLayout {
        anchors.horizontalCenter: parent.horizontalCenter
        width: Math.min(parent.width, PanelSize.maximumWidth)
        height: parent.height
        spacing: 20

        DeveloperMenu {
            id: menu
            visible: root.viewState.showDeveloperMenu
            // Closed under the keyboard, it would keep the focus and take keys unseen.
            onVisibleChanged: if (!visible && root.holdsFocus(menu)) loginButton.forceActiveFocus(InputOrigin.focusReason())
            selection: root.viewState.endpoints
            Layout.fillWidth: true
            Layout.margins: 5
        }
        Item { Layout.fillHeight: true }
        ColumnLayout {
            Layout.fillWidth: true
            Layout.margins: Typography.padding
            spacing: 20

            ImageView { Layout.alignment: Qt.AlignHCenter }
            Label {
                Layout.fillWidth: true
                text: "Quorvane"
                font.pixelSize: Typography.largeTitle
                font.bold: true
                color: ColorScheme.primary
                horizontalAlignment: Text.AlignHCenter
            }
            Label {
                Layout.fillWidth: true
                Layout.leftMargin: 20
                Layout.rightMargin: 20
                text: qsTr("To use this plugin, you need to authenticate your account. Please log in to verify your subscription and access all the Quorvane features.")
                font.pixelSize: 14
                color: ColorScheme.primary
                wrapMode: Text.Wrap
                horizontalAlignment: Text.AlignHCenter
            }
            CustomButton {
                id: loginButton
                objectName: "loginButton"
                Layout.alignment: Qt.AlignHCenter
                //: Starts the sign-in in the browser.
                title: qsTr("Login")
                backgroundColor: ColorScheme.accentPurple
                onClicked: root.viewState.loginButtonTapped()
            }
        }
        Item { Layout.fillHeight: true }
    }
}
