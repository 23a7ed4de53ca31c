set(ENTRY_SOURCES
    entry/apimanager.cpp
    entry/authmanager.cpp
    entry/composesessionhandler.cpp
    entry/contentblocker.cpp
    entry/deployments.cpp
    entry/extractbody.cpp
    entry/incommingupdatesmanager.cpp
    entry/mailextension.cpp
    entry/messageactionhandler.cpp
    entry/messagesecurityhandler.cpp
    entry/replyemailmanager.cpp
    entry/startchatmanager.cpp
    entry/summarizemanager.cpp
    entry/userdetailsmanager.cpp
)
# Builds on MEExtensionViewController, which comes with the compose window's controller.
if(EXISTS ${PROJECT_SOURCE_DIR}/mailkit/meextensionviewcontroller.h)
    list(APPEND ENTRY_SOURCES entry/messagesecurityviewcontroller.cpp)
endif()
set(ENTRY_QML entry/MessageSecurityView.qml)
