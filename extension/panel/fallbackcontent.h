#pragma once

#include "stores/composewindow.h"

#include <QString>
#include <optional>

/// The message text last summarized or pasted for the window's message, kept across sessions.
bool storeFallbackContent(const ComposeWindow& window, const QString& text);
[[nodiscard]] std::optional<QString> loadFallbackContent(const ComposeWindow& window);
