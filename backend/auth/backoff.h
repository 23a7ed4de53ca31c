#pragma once

#include <algorithm>
#include <cstdint>

namespace backend {

/// Seconds of lock after `failures` failed sign-ins of which `freeAttempts` cost nothing:
/// one, then doubling with each further failure, at most a quarter of an hour.
[[nodiscard]] inline std::int64_t lockSeconds(std::int64_t failures, std::int64_t freeAttempts) {
    constexpr std::int64_t maxLockSeconds = 900;
    const std::int64_t over = failures + 1 - freeAttempts;
    if (over < 0) {
        return 0;
    }
    return std::min<std::int64_t>(maxLockSeconds,
                                  std::int64_t{1} << std::min<std::int64_t>(over, 10));
}

} // namespace backend
