#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace backend {

/// Lets at most `concurrency` calls run at once and keeps a bounded queue of the ones that
/// wait, so that a model server sees a steady load and a burst beyond it is refused at once.
class CallGate {
public:
    /// Held by a running call; the next waiting call starts when the last copy goes away.
    using Slot = std::shared_ptr<void>;

    CallGate(std::size_t concurrency, std::size_t queueLimit);

    /// Starts `call` now or once a slot is free; false, without calling it, when the queue is full.
    [[nodiscard]] bool enter(std::function<void(Slot)> call);

private:
    Slot makeSlot();
    void release();

    std::mutex mutex_;
    std::size_t concurrency_;
    std::size_t queueLimit_;
    std::size_t running_ = 0;
    std::deque<std::function<void(Slot)>> waiting_;
};

} // namespace backend
