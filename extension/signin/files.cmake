set(SIGNIN_SOURCES
    signin/developermenushortcut.h
    signin/developermenustate.cpp signin/developermenustate.h
    signin/endpointselection.cpp signin/endpointselection.h
    signin/loginviewstate.cpp signin/loginviewstate.h
    signin/minimumheight.h
    signin/sessionresponse.cpp signin/sessionresponse.h
    signin/signinflow.cpp signin/signinflow.h
    signin/signinwindow.h
)
set(SIGNIN_QML
    signin/CustomButton.qml
    signin/DeveloperMenu.qml
    signin/ImageView.qml
    signin/LoginView.qml
)
