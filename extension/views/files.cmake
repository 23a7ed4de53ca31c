set(VIEWS_SOURCES
    views/colorscheme.cpp views/colorscheme.h
    views/fixedtext.cpp views/fixedtext.h
    views/inputorigin.cpp views/inputorigin.h
    views/keyboardfocus.cpp views/keyboardfocus.h
    views/panelsize.h
    views/screenitem.cpp views/screenitem.h
    views/tintedicon.cpp views/tintedicon.h
    views/viewengine.cpp views/viewengine.h
    views/viewlanguage.cpp views/viewlanguage.h
)
set(VIEWS_QML
    views/FadingLoader.qml
    views/FocusRing.qml
    views/KeyButton.qml
    views/PillButton.qml
    views/ScrollKeys.qml
    views/Typography.qml
    views/effects/PanelBlur.qml
)
set(VIEWS_RESOURCES
    views/icons/captions.svg
    views/icons/chatbubbles.svg
    views/icons/copy.svg
    views/icons/info.svg
    views/icons/logout.svg
    views/icons/paperplane.svg
    views/icons/quorvaneLogo.svg
    views/icons/repeat.svg
    views/icons/spinner.svg
    views/icons/wand.svg
)
