#pragma once

#include <QString>
#include <optional>

/// What is known of the message a compose window answers.
struct ReplyContext {
    std::optional<QString> email;
    std::optional<QString> subject;
    std::optional<QString> date;
    std::optional<QString> content;
    std::optional<QString> messageId;
};

/// The name a message's stored results go under: its Message-ID, or for a message without one
/// a digest of what it says, so that two such messages never share a reply, a summary or a
/// chat; for a new message, one of its own, as two new messages have nothing in common.
[[nodiscard]] QString storageIdOf(const ReplyContext& context);
