set(ENTRY_SOURCES
    entry/composesessionhandler.cpp entry/composesessionhandler.h
    entry/composesessionviewcontroller.cpp entry/composesessionviewcontroller.h
    entry/composesessionviewcontrollerfactory.h
    entry/contentblocker.cpp entry/contentblocker.h
    entry/coordinator.h
    entry/mailextension.cpp entry/mailextension.h
    entry/messageactionhandler.cpp entry/messageactionhandler.h
    entry/messagesecurityhandler.cpp entry/messagesecurityhandler.h
    entry/messagesecurityviewcontroller.cpp entry/messagesecurityviewcontroller.h
)
