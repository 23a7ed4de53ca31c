#pragma once

#include "clock.h"
#include "store.h"

#include <cstdint>
#include <string>
#include <vector>

namespace backend {

/// Failed sign-ins, counted per account and client address together and per login code, in
/// the store so that instances sharing one can share it. An account cannot be locked from
/// another address, and an unknown account is throttled as a known one is. Every loopback
/// client shares 127.0.0.1, so there the count is per account.
class SignInThrottle {
public:
    static constexpr std::int64_t freeFailures = 5;
    static constexpr std::int64_t window = std::int64_t{15} * 60;

    SignInThrottle(Store& store, const Clock& clock);

    /// The account an address names, as the counts know it: letter case aside.
    [[nodiscard]] static std::string account(const std::string& email);
    /// The counts an attempt falls under.
    [[nodiscard]] static std::vector<std::string> keys(const std::string& email,
                                                       const std::string& clientAddress,
                                                       const std::string& loginCodeHash);
    [[nodiscard]] bool locked(const std::vector<std::string>& keys);
    /// Counts a failure under each key: after `freeFailures` within `window`, a lock of one
    /// second that doubles with each further failure.
    void recordFailure(const std::vector<std::string>& keys);
    void clear(const std::vector<std::string>& keys);

private:
    Store& store_;
    const Clock& clock_;
};

} // namespace backend
