#pragma once

#include <QByteArray>
#include <QByteArrayView>

/// A message file as a mail client stores it: CR LF turned into LF, and the header fields
/// unfolded onto one line each. The body is otherwise kept byte for byte.
[[nodiscard]] QByteArray storedForm(QByteArrayView file);

/// The length of the header block of a message in stored form, without the blank line.
[[nodiscard]] qsizetype headerBlockLength(QByteArrayView stored);
