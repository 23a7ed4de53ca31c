#pragma once

#include "entry/composesessionviewcontrollerfactory.h"
#include "meextension.h"

/// How the extension makes the controllers it hands to the mail client.
struct ViewControllerFactories {
    ComposeViewControllerFactory composeSession;
    ViewControllerFactory messageSignersView;
};

/// The principal object: a new handler per compose window, one of each other handler per
/// process.
class MailExtension : public MEExtension {
public:
    explicit MailExtension(ViewControllerFactories factories)
        : factories_(std::move(factories)) {}

    [[nodiscard]] std::unique_ptr<MEComposeSessionHandler>
    handlerForComposeSession(const MEComposeSession& session) override;
    [[nodiscard]] MEContentBlocker& handlerForContentBlocker() override;
    [[nodiscard]] MEMessageActionHandler& handlerForMessageActions() override;
    /// Made with the factories of the first extension object that asks.
    [[nodiscard]] MEMessageSecurityHandler& handlerForMessageSecurity() override;

private:
    ViewControllerFactories factories_;
};
