#include "signinthrottle.h"

#include "addressblock.h"
#include "backoff.h"
#include "secrets.h"

#include <algorithm>
#include <cctype>

namespace backend {

SignInThrottle::SignInThrottle(Store& store, const Clock& clock)
    : store_(store)
    , clock_(clock) {}

std::string SignInThrottle::account(const std::string& email) {
    std::string account = email;
    std::ranges::transform(account, account.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return account;
}

std::vector<std::string> SignInThrottle::keys(const std::string& email,
                                              const std::string& clientAddress,
                                              const std::string& loginCodeHash) {
    // Hashed, so that the table names neither accounts nor addresses.
    return {secrets::sha256Hex("account\n" + account(email) + "\n" + addressBlock(clientAddress)),
            secrets::sha256Hex("code\n" + loginCodeHash)};
}

bool SignInThrottle::locked(const std::vector<std::string>& keys) {
    const std::int64_t now = clock_.now();
    return std::ranges::any_of(
        keys, [&](const std::string& key) { return store_.loginFailures(key).lockedUntil > now; });
}

void SignInThrottle::recordFailure(const std::vector<std::string>& keys) {
    const std::int64_t now = clock_.now();
    for (const std::string& key : keys) {
        store_.updateLoginFailures(key, [now](LoginFailures failures) {
            if (failures.windowStart <= now - window) {
                failures = {0, now, 0};
            }
            failures.lockedUntil = now + lockSeconds(failures.count, freeFailures);
            ++failures.count;
            return failures;
        });
    }
}

void SignInThrottle::clear(const std::vector<std::string>& keys) {
    for (const std::string& key : keys) {
        store_.clearLoginFailures(key);
    }
}

} // namespace backend
