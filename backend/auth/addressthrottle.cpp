#include "addressthrottle.h"

#include "backoff.h"

namespace backend {

AddressThrottle::AddressThrottle(std::size_t capacity)
    : capacity_(capacity) {}

bool AddressThrottle::locked(const std::string& address, std::int64_t now) {
    const std::lock_guard lock(mutex_);
    const auto it = failures_.find(address);
    return it != failures_.end() && it->second.lockedUntil > now;
}

void AddressThrottle::recordFailure(const std::string& address, std::int64_t now) {
    const std::lock_guard lock(mutex_);
    if (failures_.size() >= capacity_ && !failures_.contains(address)) {
        // Full: forget the addresses that are not locked, so that memory stays bounded.
        std::erase_if(failures_,
                      [now](const auto& entry) { return entry.second.lockedUntil <= now; });
        if (failures_.size() >= capacity_) {
            return;
        }
    }
    Failures& failures = failures_[address];
    failures.lockedUntil = now + lockSeconds(failures.count, freeAttempts);
    ++failures.count;
}

} // namespace backend
