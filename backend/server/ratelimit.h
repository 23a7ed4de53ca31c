#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

namespace backend {

/// At most `perMinute` events per client address in each minute that begins with the address's
/// first event, in memory.
class RateLimit {
public:
    explicit RateLimit(std::size_t perMinute, std::size_t capacity = 100'000);

    /// Counts an event from `address` at `now` (seconds); 0 when allowed, otherwise the seconds
    /// until the address may try again.
    [[nodiscard]] std::int64_t take(const std::string& address, std::int64_t now);

private:
    struct Window {
        std::int64_t start = 0;
        std::size_t events = 0;
    };

    std::mutex mutex_;
    std::size_t perMinute_;
    std::size_t capacity_;
    std::unordered_map<std::string, Window> windows_;
};

} // namespace backend
