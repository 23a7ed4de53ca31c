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

/// The session of a compose window answering `original`, or of a new message when it is null;
/// what a host hands over when it keeps nothing else about the window.
class MEBasicComposeSession : public MEComposeSession, private MEComposeContext {
public:
    explicit MEBasicComposeSession(std::shared_ptr<const MEMessage> original = nullptr)
        : original_(std::move(original)) {}

    [[nodiscard]] const MEComposeContext& composeContext() const override { return *this; }

private:
    [[nodiscard]] std::shared_ptr<const MEMessage> originalMessage() const override {
        return original_;
    }

    std::shared_ptr<const MEMessage> original_;
};
