#include "entry/mailextension.h"

#include "entry/composesessionhandler.h"

std::unique_ptr<MEComposeSessionHandler>
MailExtension::handlerForComposeSession(const MEComposeSession& /*session*/) {
    return std::make_unique<ComposeSessionHandler>(services_, factories_.composeSession);
}
