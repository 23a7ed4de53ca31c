#pragma once

#include <QString>
#include <QVariant>
#include <optional>

/// An optional text as QML sees it: null when absent.
[[nodiscard]] inline QVariant optionalTextValue(const std::optional<QString>& text) {
    return text ? QVariant(*text) : QVariant();
}
