set(PANEL_SOURCES
    panel/buttonstatemanager.cpp panel/buttonstatemanager.h
    panel/sessionpanel.cpp panel/sessionpanel.h
    panel/summarizestatemanager.cpp panel/summarizestatemanager.h
)
set(PANEL_QML
    panel/ActivityIndicator.qml
    panel/ChatTab.qml
    panel/LongText.qml
    panel/PanelHeader.qml
    panel/ReplyTab.qml
    panel/SessionButton.qml
    panel/SessionModalView.qml
    panel/SummaryArea.qml
    panel/ToastView.qml
    panel/TooltipView.qml
)
# The signed-in panel's root and the update notice.
list(APPEND PANEL_SOURCES
    panel/sessiontabsstate.cpp panel/sessiontabsstate.h
    panel/updateactions.cpp panel/updateactions.h
)
list(APPEND PANEL_QML panel/SessionTabsView.qml panel/UpdateModalView.qml)
