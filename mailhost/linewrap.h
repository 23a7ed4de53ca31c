#pragma once

#include <QStringList>

/// Quoted lines are at most this many columns, their "> " included.
inline constexpr qsizetype kQuoteColumns = 76;

/// The lines of `text`, each at most `columns` long: wrapped after the last space that fits,
/// or cut where a word is longer than a line, never inside a surrogate pair.
[[nodiscard]] QStringList wrapped(QStringView text, qsizetype columns);

/// The lines of `text`, each prefixed by "> " and wrapped to kQuoteColumns. Lines already
/// quoted keep their markers on every line they wrap into.
[[nodiscard]] QStringList quoted(QStringView text);
