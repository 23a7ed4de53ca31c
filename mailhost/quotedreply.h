#pragma once

#include "mailmessage.h"

#include <QStringList>

/// What a reply window starts with.
struct ReplyDraft {
    QString to;
    QString subject;
    /// "NAME wrote on DATE:", above the quote.
    QString attribution;
    /// The original's text, quoted line by line.
    QStringList quote;
};

/// "Re: " before the subject (once), the sender (or whom it names to reply to) as recipient,
/// and the original text quoted.
[[nodiscard]] ReplyDraft replyDraft(const MailMessage& original);
