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
