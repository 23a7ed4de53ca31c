#pragma once

#include "mecomposesession.h"
#include "mecomposesessionhandler.h"
#include "mecontentblocker.h"
#include "memessageactionhandler.h"
#include "memessagesecurityhandler.h"

#include <memory>

/// The extension's principal object: the mail client asks it for every handler.
class MEExtension {
public:
    virtual ~MEExtension() = default;
    /// A handler of the host's own for each compose window.
    [[nodiscard]] virtual std::unique_ptr<MEComposeSessionHandler>
    handlerForComposeSession(const MEComposeSession& session) = 0;
    /// The other handlers live as long as the extension's process.
    [[nodiscard]] virtual MEContentBlocker& handlerForContentBlocker() = 0;
    [[nodiscard]] virtual MEMessageActionHandler& handlerForMessageActions() = 0;
    [[nodiscard]] virtual MEMessageSecurityHandler& handlerForMessageSecurity() = 0;
};
