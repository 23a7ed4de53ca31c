#pragma once

#include "pagetexts.h"

#include <cstdint>
#include <string>

namespace backend::loginpage {

/// The sign-in form for a login code, which says what asks for access and when it asked
/// (seconds since 1970), with an optional notice above it and the address typed before.
[[nodiscard]] std::string form(const Texts& texts, const std::string& loginCode,
                               std::int64_t requestedAt, const std::string& notice,
                               const std::string& email = "");
/// A page with only a notice, for a link that cannot sign in.
[[nodiscard]] std::string notice(const Texts& texts, const std::string& text);
/// The page shown once the account is signed in.
[[nodiscard]] std::string done(const Texts& texts);
/// The page's own stylesheet.
[[nodiscard]] const std::string& stylesheet();
/// Escapes text for HTML content and attribute values.
[[nodiscard]] std::string escape(const std::string& text);

} // namespace backend::loginpage
