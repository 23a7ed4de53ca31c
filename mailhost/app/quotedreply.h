#pragma once

#include "mailmessage.h"

#include <QString>

/// What a reply window starts with.
struct ReplyDraft {
    QString to;
    QString subject;
    QString body;
};

/// "Re: " before the subject (once), the sender as recipient, and the original text quoted
/// under an attribution line.
[[nodiscard]] ReplyDraft replyDraft(const MailMessage& original);
