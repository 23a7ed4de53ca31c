set(PANEL_SOURCES
    panel/buttonstatemanager.cpp panel/buttonstatemanager.h
    panel/panelactions.cpp panel/panelactions.h
    panel/summarizestatemanager.cpp panel/summarizestatemanager.h
)
set(PANEL_QML
    panel/ActivityIndicator.qml
    panel/SessionButton.qml
    panel/ToastView.qml
    panel/TooltipView.qml
)
