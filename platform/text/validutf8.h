#pragma once

#include <string>
#include <string_view>

namespace plaintext {

/// `text` itself when it is UTF-8 without NUL bytes; else its copy in `storage`, with each NUL
/// and each run of bytes that are not UTF-8 replaced by U+FFFD.
[[nodiscard]] std::string_view validUtf8(std::string_view text, std::string& storage);

} // namespace plaintext
