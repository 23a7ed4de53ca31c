#pragma once

#include "memessage.h"

#include <memory>

/// What a compose window is about: the message being answered, if any.
class MEComposeContext {
public:
    virtual ~MEComposeContext() = default;
    /// Absent for a new message.
    [[nodiscard]] virtual std::shared_ptr<const MEMessage> originalMessage() const = 0;
};

/// One compose window of the mail client.
class MEComposeSession {
public:
    virtual ~MEComposeSession() = default;
    [[nodiscard]] virtual const MEComposeContext& composeContext() const = 0;
};
