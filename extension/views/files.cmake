set(VIEWS_SOURCES
    views/colorscheme.cpp views/colorscheme.h
    views/qmlsingleton.h
    views/screenitem.cpp views/screenitem.h
    views/viewengine.cpp views/viewengine.h
)
set(VIEWS_QML)
set(VIEWS_RESOURCES)
