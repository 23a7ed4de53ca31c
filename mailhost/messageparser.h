#pragma once

#include "mailmessage.h"

#include <variant>

/// Why a file is not a message that can be shown.
struct MessageError {
    QString reason;
};

/// Reads a message file into its stored form, with its header fields, decoded subject, sender
/// and date. Only the header block goes through MIME parsing, so the size of the body costs
/// one pass over its bytes.
[[nodiscard]] std::variant<MailMessage, MessageError> parseMessage(QByteArrayView file);

/// The message's text as a person reads it: its first plain-text part, decoded from its
/// transfer encoding and charset; else its first HTML part as the text a browser shows; the
/// undecoded body when it has neither.
[[nodiscard]] QString readableText(const MailMessage& message);

/// What a mail client shows of a message: its readable text and the file names of its
/// attachments in order, an attachment without a name named by its type.
struct ShownMessage {
    QString text;
    QStringList attachments;
};
[[nodiscard]] ShownMessage shownMessage(const MailMessage& message);
