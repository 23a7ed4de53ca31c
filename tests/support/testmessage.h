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
using TestComposeSession = MEBasicComposeSession;
