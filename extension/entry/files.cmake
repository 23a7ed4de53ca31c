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
    entry/messagesecurityviewcontroller.cpp
    entry/replyemailmanager.cpp
    entry/startchatmanager.cpp
    entry/summarizemanager.cpp
    entry/userdetailsmanager.cpp
)
set(ENTRY_QML entry/MessageSecurityView.qml)
