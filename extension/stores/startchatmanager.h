#pragma once

#include <QString>
#include <optional>

/// Identifiers of the most recently started chat.
class StartChatManager {
public:
    [[nodiscard]] static StartChatManager& shared();

    std::optional<QString> assistantId;
    std::optional<QString> threadId;

private:
    StartChatManager() = default;
};
