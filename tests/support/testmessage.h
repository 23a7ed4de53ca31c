#pragma once

#include "mecomposesession.h"

#include <memory>

/// A message whose parts a test sets field by field.
class TestMessage : public MEMessage {
public:
    std::optional<QByteArray> raw;
    QString subjectText;
    std::optional<MEEmailAddress> from;
    std::optional<MEHeaderMap> headerMap;

    [[nodiscard]] std::optional<QByteArray> rawData() const override { return raw; }
    [[nodiscard]] QString subject() const override { return subjectText; }
    [[nodiscard]] std::optional<MEEmailAddress> fromAddress() const override { return from; }
    [[nodiscard]] std::optional<MEHeaderMap> headers() const override { return headerMap; }
};

/// A compose window answering `original`, or a new message when it is null.
class TestComposeSession : public MEComposeSession, private MEComposeContext {
public:
    explicit TestComposeSession(std::shared_ptr<const MEMessage> original = nullptr)
        : original_(std::move(original)) {}

    [[nodiscard]] const MEComposeContext& composeContext() const override { return *this; }

private:
    [[nodiscard]] std::shared_ptr<const MEMessage> originalMessage() const override {
        return original_;
    }

    std::shared_ptr<const MEMessage> original_;
};
