#pragma once

#include <QString>
#include <QUrl>
#include <optional>

/// Parses a URL text strictly; absent when the text is empty or not a valid URL.
[[nodiscard]] std::optional<QUrl> parseUrl(const QString& text);
