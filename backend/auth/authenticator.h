#pragma once

#include "clock.h"
#include "secrets.h"
#include "signinthrottle.h"
#include "store.h"

#include <optional>
#include <string>

namespace backend {

/// Browser sign-in sessions, password checks with back-off, and bearer tokens.
class Authenticator {
public:
    static constexpr std::int64_t sessionLifetime = 600;
    static constexpr std::int64_t day = 86400;

    /// Tokens stop working `tokenLifetime` seconds after they were handed out.
    Authenticator(Store& store, const Clock& clock, secrets::ScryptCost cost,
                  std::int64_t tokenLifetime = 30 * day);

    /// A new sign-in session: the id only the client knows and polls with, and the one-time
    /// code of its login link (128 random bits each).
    struct Session {
        std::string id;
        std::string loginCode;
    };
    [[nodiscard]] Session createSession();

    /// When the session of `loginCode` was asked for, while the code still signs in.
    [[nodiscard]] std::optional<std::int64_t> loginRequestedAt(const std::string& loginCode);

    enum class LoginResult { SignedIn, WrongCredentials, TooManyAttempts, SessionExpired };
    /// Signs the session of `loginCode` in when the password is right, at most once. Failures
    /// are throttled per account and address together and per login code, alike for unknown
    /// accounts; a password hashed at another cost is hashed again at this one.
    [[nodiscard]] LoginResult login(const std::string& loginCode, const std::string& email,
                                    const std::string& password, const std::string& clientAddress);

    enum class PollState { Unknown, Pending, Issued };
    struct PollResult {
        PollState state;
        std::string token;
    };
    /// Hands out a fresh token once the session is signed in; the session is gone afterwards.
    [[nodiscard]] PollResult poll(const std::string& sessionId);

    /// The account e-mail for a bearer token, when the token is known and has not expired.
    [[nodiscard]] std::optional<std::string> accountForToken(const std::string& token);

    /// Adds an account with a hashed password.
    void addAccount(const std::string& email, const std::string& name, const std::string& password);

private:
    Store& store_;
    const Clock& clock_;
    secrets::ScryptCost cost_;
    std::int64_t tokenLifetime_;
    std::string dummyHash_;
    SignInThrottle throttle_;
};

} // namespace backend
