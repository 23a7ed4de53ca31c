import QtQuick
import Quorvane.Extension

// The signed-in panel: the session panel, framed, and over it the update notice while a newer
// version waits, with the panel dimmed, blurred and locked beneath.
ScreenItem {
    id: root

    required property Coordinator coordinator
    required property SessionTabsState viewState
    readonly property bool updating: root.viewState.updates.incommingUpdatesAvailable
    // Follows `updating` only once the keyboard's place is noted, since locking the panel drops
    // its focus.
    property bool locked: false

    // Between the least and the most size within the padded area. An area too small for both
    // the least size and the padding gives up most of its padding, but keeps a margin, so that
    // the panel never overflows it nor touches its edges.
    function frame(area: real, least: real, most: real): real {
        return Math.min(Math.min(Math.max(area - 2 * Typography.padding, least), most), area - 12)
    }

    objectName: "sessionTabsView"
    // Escape closes the developer menu wherever the panel's focus is.
    Keys.onEscapePressed: event => {
        event.accepted = root.viewState.showDeveloperMenu;
        root.viewState.showDeveloperMenu = false;
    }
    implicitWidth: PanelSize.minimumWidth
    implicitHeight: viewState.customHeight
    Component.onCompleted: locked = updating
    // The keyboard goes into the notice and back to the panel, if it was in the view at all.
    onUpdatingChanged: {
        const focused = holdsFocus(root);
        locked = updating;
        if (focused && updating)
            notice.forceActiveFocus(InputOrigin.focusReason());
        else if (focused)
            modal.focusFirstControl();
    }
    onAppeared: {
        viewState.appear(root)
        modal.shown = true
    }
    onDisappeared: {
        modal.shown = false
        viewState.disappear()
    }

    Rectangle {
        anchors.fill: parent
        color: ColorScheme.controlBackground
    }

    Item {
        id: panelFrame
        objectName: "sessionPanelFrame"
        anchors.centerIn: parent
        width: root.frame(root.width, PanelSize.minimumWidth, PanelSize.maximumWidth)
        height: root.frame(root.height, root.viewState.customHeight, PanelSize.maximumHeight)
        enabled: !root.locked
        opacity: root.updating ? 0.4 : 1
        // Shader effects need a graphics API; the software renderer only dims.
        layer.enabled: root.updating && GraphicsInfo.api !== GraphicsInfo.Software
        layer.effect: PanelBlur {}

        Behavior on opacity { NumberAnimation { duration: 200 } }

        SessionModalView {
            id: modal
            width: parent.width
            height: parent.height
            buttonStateManager: root.viewState.buttonStateManager
            summarizeStateManager: root.viewState.summarizeStateManager
            endpoints: root.viewState.endpoints
            showDeveloperMenu: root.viewState.showDeveloperMenu
        }
    }

    FadingLoader {
        id: notice
        anchors.fill: panelFrame
        shown: root.locked

        // qmllint disable unqualified
        sourceComponent: UpdateModalView {
            objectName: "updatePanel"
            actions: root.viewState.updateActions
        }
        // qmllint enable unqualified
    }
}
