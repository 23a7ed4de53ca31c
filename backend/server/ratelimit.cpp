#include "ratelimit.h"

namespace backend {
namespace {

constexpr std::int64_t minute = 60;

} // namespace

RateLimit::RateLimit(std::size_t perMinute, std::size_t capacity)
    : perMinute_(perMinute)
    , capacity_(capacity) {}

std::int64_t RateLimit::take(const std::string& address, std::int64_t now) {
    const std::lock_guard lock(mutex_);
    if (windows_.size() >= capacity_ && !windows_.contains(address)) {
        // Full: forget the windows that have ended, so that memory stays bounded.
        std::erase_if(windows_,
                      [now](const auto& entry) { return entry.second.start + minute <= now; });
        if (windows_.size() >= capacity_) {
            return 0;
        }
    }
    Window& window = windows_[address];
    if (window.start + minute <= now) {
        window = {now, 0};
    }
    if (window.events >= perMinute_) {
        return window.start + minute - now;
    }
    ++window.events;
    return 0;
}

} // namespace backend
