#pragma once

#include "memessage.h"

#include <QDateTime>

/// A message read from a file, in the mail client's stored form.
class MailMessage : public MEMessage {
public:
    QByteArray raw;
    QString subjectText;
    std::optional<MEEmailAddress> from;
    /// The sender's display name, decoded; empty when the From field has none.
    QString senderName;
    /// Where answers go when the sender asks for another address than From; else empty.
    QString replyTo;
    /// The To field, decoded; empty when there is none.
    QString recipients;
    /// Absent when the Date field is missing or unreadable.
    std::optional<QDateTime> date;
    MEHeaderMap headerMap;

    [[nodiscard]] std::optional<QByteArray> rawData() const override { return raw; }
    [[nodiscard]] QString subject() const override { return subjectText; }
    [[nodiscard]] std::optional<MEEmailAddress> fromAddress() const override { return from; }
    [[nodiscard]] std::optional<MEHeaderMap> headers() const override { return headerMap; }
};
