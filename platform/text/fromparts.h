#pragma once

#include <gmime/gmime.h>
#include <optional>
#include <string>

namespace plaintext {

/// The readable text of a MIME tree, depth first: its first text/plain part that has text,
/// decoded from its transfer encoding and charset to UTF-8; else its first text/html part read
/// as `fromHtml` reads it; nothing when neither has text. Attachments are not read, nor are
/// attached messages opened.
[[nodiscard]] std::optional<std::string> fromParts(GMimeObject* root);

/// Whether `part` is a file sent with the message rather than its text: a leaf part marked as
/// an attachment, given a file name, or not text at all.
[[nodiscard]] bool isAttachment(GMimeObject* part);

} // namespace plaintext
