#pragma once

#include <string>
#include <string_view>

namespace plaintext {

/// The readable text of an HTML document in UTF-8, as libxml2's HTML parser reads it: block
/// elements end their paragraph, <br> ends a line, entities are decoded, and comments, <head>,
/// <style> and <script> are left out. Lines inside <blockquote> start with "> ", the mark of
/// quoted text. Malformed markup is read as a browser would, invalid UTF-8 becomes U+FFFD,
/// and nesting past the parser's depth limit ends the text there.
[[nodiscard]] std::string fromHtml(std::string_view html);

} // namespace plaintext
