#include "authenticator.h"

namespace backend {
Authenticator::Authenticator(Store& store, const Clock& clock, secrets::ScryptCost cost,
                             std::int64_t tokenLifetime)
    : store_(store)
    , clock_(clock)
    , cost_(cost)
    , tokenLifetime_(tokenLifetime)
    , dummyHash_(secrets::hashPassword(secrets::randomHex(16), cost))
    , throttle_(store, clock) {}

Authenticator::Session Authenticator::createSession() {
    const std::int64_t now = clock_.now();
    store_.purgeExpired(now, SignInThrottle::window, tokenLifetime_);
    Session session{secrets::randomHex(16), secrets::randomHex(16)};
    store_.addSession(secrets::sha256Hex(session.id), secrets::sha256Hex(session.loginCode), now,
                      now + sessionLifetime);
    return session;
}

std::optional<std::int64_t> Authenticator::loginRequestedAt(const std::string& loginCode) {
    return store_.loginRequestedAt(secrets::sha256Hex(loginCode), clock_.now());
}

Authenticator::LoginResult Authenticator::login(const std::string& loginCode,
                                                const std::string& email,
                                                const std::string& password,
                                                const std::string& clientAddress) {
    const std::string codeHash = secrets::sha256Hex(loginCode);
    if (!store_.loginRequestedAt(codeHash, clock_.now())) {
        return LoginResult::SessionExpired;
    }
    const auto keys = SignInThrottle::keys(email, clientAddress, codeHash);
    if (throttle_.locked(keys)) {
        return LoginResult::TooManyAttempts;
    }
    const auto account = store_.account(email);
    // Unknown addresses cost as much time as known ones, and are throttled alike.
    const bool right =
        secrets::verifyPassword(password, account ? account->passwordHash : dummyHash_) && account;
    if (!right) {
        throttle_.recordFailure(keys);
        return LoginResult::WrongCredentials;
    }
    throttle_.clear(keys);
    // The stored address, which tokens and chats refer to, whatever case was typed.
    if (secrets::needsRehash(account->passwordHash, cost_)) {
        store_.setPasswordHash(account->email, secrets::hashPassword(password, cost_));
    }
    return store_.signInSession(codeHash, account->email, clock_.now())
               ? LoginResult::SignedIn
               : LoginResult::SessionExpired;
}

Authenticator::PollResult Authenticator::poll(const std::string& sessionId) {
    const std::string idHash = secrets::sha256Hex(sessionId);
    switch (store_.sessionState(idHash, clock_.now())) {
    case Store::SessionState::Unknown:
        return {PollState::Unknown, {}};
    case Store::SessionState::Pending:
        return {PollState::Pending, {}};
    case Store::SessionState::SignedIn:
        break;
    }
    std::string token = secrets::randomHex(32);
    if (!store_.redeemSession(idHash, secrets::sha256Hex(token), clock_.now())) {
        return {PollState::Unknown, {}};
    }
    return {PollState::Issued, std::move(token)};
}

std::optional<std::string> Authenticator::accountForToken(const std::string& token) {
    if (token.empty()) {
        return std::nullopt;
    }
    const std::int64_t now = clock_.now();
    return store_.useToken(secrets::sha256Hex(token), now - tokenLifetime_, now);
}

void Authenticator::addAccount(const std::string& email, const std::string& name,
                               const std::string& password) {
    store_.addAccount({email, name, secrets::hashPassword(password, cost_)});
}

} // namespace backend
