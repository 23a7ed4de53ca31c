#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

namespace backend {

/// Failed sign-ins per client address, in memory: trying many accounts from one address is
/// slowed down as trying many passwords on one account is.
class AddressThrottle {
public:
    /// Addresses share offices and homes, so each gets more free attempts than an account.
    static constexpr std::int64_t freeAttempts = 10;

    explicit AddressThrottle(std::size_t capacity = 100'000);

    [[nodiscard]] bool locked(const std::string& address, std::int64_t now);
    void recordFailure(const std::string& address, std::int64_t now);

private:
    struct Failures {
        std::int64_t count = 0;
        std::int64_t lockedUntil = 0;
    };

    std::mutex mutex_;
    std::size_t capacity_;
    std::unordered_map<std::string, Failures> failures_;
};

} // namespace backend
