#pragma once

#include "mecomposesession.h"

#include <memory>

/// A compose window's session as the host hands it to the extension.
class HostComposeSession : public MEComposeSession, private MEComposeContext {
public:
    explicit HostComposeSession(std::shared_ptr<const MEMessage> original)
        : original_(std::move(original)) {}

    [[nodiscard]] const MEComposeContext& composeContext() const override { return *this; }

private:
    [[nodiscard]] std::shared_ptr<const MEMessage> originalMessage() const override {
        return original_;
    }

    std::shared_ptr<const MEMessage> original_;
};
