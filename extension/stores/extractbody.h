#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

/// The body of a raw message: the UTF-8 text after the first blank line (LF LF), trimmed of
/// white space. Absent when the bytes are not UTF-8 or there is no blank line.
[[nodiscard]] std::optional<QString> extractBody(const QByteArray& rawData);
