#include "callgate.h"

#include <algorithm>

namespace backend {

CallGate::CallGate(std::size_t concurrency, std::size_t queueLimit)
    : concurrency_(std::max<std::size_t>(concurrency, 1))
    , queueLimit_(queueLimit) {}

bool CallGate::enter(std::function<void(Slot)> call) {
    {
        const std::lock_guard lock(mutex_);
        if (running_ >= concurrency_) {
            if (waiting_.size() >= queueLimit_) {
                return false;
            }
            waiting_.push_back(std::move(call));
            return true;
        }
        ++running_;
    }
    call(makeSlot());
    return true;
}

CallGate::Slot CallGate::makeSlot() {
    return Slot(static_cast<void*>(this),
                [](void* gate) { static_cast<CallGate*>(gate)->release(); });
}

void CallGate::release() {
    std::function<void(Slot)> next;
    {
        const std::lock_guard lock(mutex_);
        if (waiting_.empty()) {
            --running_;
            return;
        }
        next = std::move(waiting_.front());
        waiting_.pop_front();
    }
    next(makeSlot());
}

} // namespace backend
