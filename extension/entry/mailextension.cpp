#include "entry/mailextension.h"

#include "entry/composesessionhandler.h"
#include "entry/contentblocker.h"
#include "entry/messageactionhandler.h"
#include "entry/messagesecurityhandler.h"

std::unique_ptr<MEComposeSessionHandler>
MailExtension::handlerForComposeSession(const MEComposeSession& /*session*/) {
    return std::make_unique<ComposeSessionHandler>(factories_.composeSession);
}

MEContentBlocker& MailExtension::handlerForContentBlocker() {
    static ContentBlocker blocker;
    return blocker;
}

MEMessageActionHandler& MailExtension::handlerForMessageActions() {
    static MessageActionHandler handler;
    return handler;
}

MEMessageSecurityHandler& MailExtension::handlerForMessageSecurity() {
    static MessageSecurityHandler handler(factories_.messageSignersView);
    return handler;
}
