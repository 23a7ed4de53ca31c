#pragma once

#include "mecomposesession.h"

/// Handles one compose session: everything it learns goes into the shared stores.
class ComposeSessionHandler {
public:
    /// Takes the reply context from the message being answered, then fetches the user's details.
    void mailComposeSessionDidBegin(const MEComposeSession& session);
    /// The stores keep what the session put into them.
    void mailComposeSessionDidEnd(const MEComposeSession& session);
};
