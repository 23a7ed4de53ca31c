#pragma once

#include <QString>
#include <optional>

/// Identifiers of the most recently started chat.
class StartChatManager {
public:
    /// The process's.
    [[nodiscard]] static StartChatManager& shared();

    std::optional<QString> assistantId;
    std::optional<QString> threadId;
};
