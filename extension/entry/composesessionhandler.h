#pragma once

#include "entry/composesessionviewcontrollerfactory.h"
#include "mecomposesessionhandler.h"

/// Handles one compose session: everything it learns goes into the shared stores.
class ComposeSessionHandler : public MEComposeSessionHandler {
public:
    explicit ComposeSessionHandler(ViewControllerFactory makeViewController)
        : makeViewController_(std::move(makeViewController)) {}

    /// Takes the reply context from the message being answered, then fetches the user's details.
    void mailComposeSessionDidBegin(const MEComposeSession& session) override;
    /// The stores keep what the session put into them.
    void mailComposeSessionDidEnd(const MEComposeSession& session) override;
    /// A new controller on every call; it reads the shared stores, not the session.
    [[nodiscard]] std::shared_ptr<MEExtensionViewController>
    viewControllerForSession(const MEComposeSession& session) override;

private:
    ViewControllerFactory makeViewController_;
};
