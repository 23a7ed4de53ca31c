set(SIGNIN_SOURCES
    signin/developermenushortcut.h
    signin/endpointselection.cpp signin/endpointselection.h
    signin/loginviewstate.cpp signin/loginviewstate.h
)
set(SIGNIN_QML
    signin/CustomButton.qml
    signin/DeveloperMenu.qml
    signin/ImageView.qml
    signin/LoginView.qml
)
