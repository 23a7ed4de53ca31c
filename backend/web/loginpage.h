#pragma once

#include <string>

namespace backend::loginpage {

/// The sign-in form for session `sessionId`, with an optional notice above it.
[[nodiscard]] std::string form(const std::string& sessionId, const std::string& notice);
/// The page shown once the account is signed in.
[[nodiscard]] std::string done();
/// The page's own stylesheet.
[[nodiscard]] const std::string& stylesheet();
/// Escapes text for HTML content and attribute values.
[[nodiscard]] std::string escape(const std::string& text);

} // namespace backend::loginpage
