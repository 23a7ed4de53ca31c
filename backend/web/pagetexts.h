#pragma once

#include <string>

namespace backend::loginpage {

/// What the sign-in pages say, in one language. `request` holds "%1" where the time of the
/// request goes, written with `askedAt` (strftime, UTC).
struct Texts {
    const char* language;
    const char* title;
    const char* request;
    const char* askedAt;
    const char* email;
    const char* password;
    const char* signIn;
    const char* signedIn;
    const char* incompleteLink;
    const char* expiredLink;
    const char* wrongCredentials;
    const char* tooManyAttempts;
};

/// The texts in the language the browser prefers most among those the pages speak (the panel's
/// languages), read from its Accept-Language header; English when it prefers none of them.
[[nodiscard]] const Texts& textsFor(const std::string& acceptLanguage);

} // namespace backend::loginpage
