#pragma once

#include "entry/composesessionviewcontrollerfactory.h"
#include "mecomposesessionhandler.h"
#include "stores/composewindow.h"

#include <memory>

/// Handles one compose session: what it learns goes into the shared stores, and a snapshot of
/// it to every controller of this session's window.
class ComposeSessionHandler : public MEComposeSessionHandler {
public:
    ComposeSessionHandler(const ExtensionServices& services,
                          ComposeViewControllerFactory makeViewController)
        : services_(services)
        , makeViewController_(std::move(makeViewController)) {}

    /// Takes the reply context from the message being answered, then fetches the user's
    /// details; the window keeps the context as it was then.
    void mailComposeSessionDidBegin(const MEComposeSession& session) override;
    /// The stores keep what the session put into them.
    void mailComposeSessionDidEnd(const MEComposeSession& session) override;
    /// A new controller on every call, on this session's window.
    [[nodiscard]] std::shared_ptr<MEExtensionViewController>
    viewControllerForSession(const MEComposeSession& session) override;

    /// A window on `context`, sharing the chat error of every other window on its message.
    [[nodiscard]] static std::shared_ptr<ComposeWindow>
    makeWindow(ReplyContext context, const ExtensionServices& services);
    /// This session's window; before the session began, one on the shared context as it is.
    [[nodiscard]] std::shared_ptr<ComposeWindow> window();

private:
    const ExtensionServices services_;
    ComposeViewControllerFactory makeViewController_;
    std::shared_ptr<ComposeWindow> window_;
};
