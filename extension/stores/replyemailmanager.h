#pragma once

#include <QString>
#include <optional>

/// The reply context of the compose session that began last.
class ReplyEmailManager {
public:
    [[nodiscard]] static ReplyEmailManager& shared();

    std::optional<QString> email;
    std::optional<QString> subject;
    std::optional<QString> date;
    std::optional<QString> content;
    std::optional<QString> messageId;

private:
    ReplyEmailManager() = default;
};
