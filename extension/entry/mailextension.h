#pragma once

#include "entry/composesessionviewcontrollerfactory.h"
#include "entry/contentblocker.h"
#include "entry/messageactionhandler.h"
#include "entry/messagesecurityhandler.h"
#include "meextension.h"
#include "stores/extensionservices.h"

/// How the extension makes the controllers it hands to the mail client.
struct ViewControllerFactories {
    ComposeViewControllerFactory composeSession;
    ViewControllerFactory messageSignersView;
};

/// The principal object: a new handler per compose window, one of each other handler for its
/// whole life. Everything it makes works with `services`.
class MailExtension : public MEExtension {
public:
    MailExtension(const ExtensionServices& services, ViewControllerFactories factories)
        : services_(services)
        , factories_(std::move(factories))
        , contentBlocker_(services.bundle)
        , messageActions_(services.replyContext)
        , messageSecurity_(factories_.messageSignersView) {}

    [[nodiscard]] std::unique_ptr<MEComposeSessionHandler>
    handlerForComposeSession(const MEComposeSession& session) override;
    [[nodiscard]] MEContentBlocker& handlerForContentBlocker() override { return contentBlocker_; }
    [[nodiscard]] MEMessageActionHandler& handlerForMessageActions() override {
        return messageActions_;
    }
    [[nodiscard]] MEMessageSecurityHandler& handlerForMessageSecurity() override {
        return messageSecurity_;
    }

private:
    const ExtensionServices services_;
    ViewControllerFactories factories_;
    ContentBlocker contentBlocker_;
    MessageActionHandler messageActions_;
    MessageSecurityHandler messageSecurity_;
};
