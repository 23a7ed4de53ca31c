#pragma once

#include "stores/replycontext.h"

/// The reply context of the compose session that began last. Windows read their own snapshot
/// of it, so a session that begins later never changes what an open window sends.
class ReplyEmailManager {
public:
    /// The process's.
    [[nodiscard]] static ReplyEmailManager& shared();

    [[nodiscard]] ReplyContext snapshot() const {
        return {email, subject, date, content, messageId};
    }

    std::optional<QString> email;
    std::optional<QString> subject;
    std::optional<QString> date;
    std::optional<QString> content;
    std::optional<QString> messageId;
};
