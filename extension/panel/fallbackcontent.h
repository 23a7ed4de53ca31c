#pragma once

#include <QString>
#include <optional>

/// The message text last summarized or pasted for the current message, kept across sessions.
bool storeFallbackContent(const QString& text);
[[nodiscard]] std::optional<QString> loadFallbackContent();
