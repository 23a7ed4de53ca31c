#pragma once

#include "mecomposesession.h"

#include <memory>

class MEExtensionViewController;

/// The extension's side of one compose window.
class MEComposeSessionHandler {
public:
    virtual ~MEComposeSessionHandler() = default;
    virtual void mailComposeSessionDidBegin(const MEComposeSession& session) = 0;
    virtual void mailComposeSessionDidEnd(const MEComposeSession& session) = 0;
    /// The controller of the extension's area in the compose window; the host keeps it while
    /// the area is shown.
    [[nodiscard]] virtual std::shared_ptr<MEExtensionViewController>
    viewControllerForSession(const MEComposeSession& session) = 0;
};
