#pragma once

#include <gmime/gmime.h>
#include <optional>
#include <string>

namespace plaintext {

/// The readable text of a MIME tree, depth first: its first text/plain part that has text,
/// decoded from its transfer encoding and charset to UTF-8; else its first text/html part read
/// as `fromHtml` reads it; nothing when neither has text. Attached messages are not opened.
[[nodiscard]] std::optional<std::string> fromParts(GMimeObject* root);

} // namespace plaintext
