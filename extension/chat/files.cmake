set(CHAT_SOURCES
    chat/chathistory.cpp chat/chathistory.h
    chat/chatmessages.cpp chat/chatmessages.h
    chat/chatviewstate.cpp chat/chatviewstate.h
    chat/message.cpp chat/message.h
)
set(CHAT_QML
    chat/BackgroundView.qml
    chat/ChatView.qml
)
