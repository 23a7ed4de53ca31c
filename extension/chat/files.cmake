set(CHAT_SOURCES)
set(CHAT_QML chat/ChatView.qml)
