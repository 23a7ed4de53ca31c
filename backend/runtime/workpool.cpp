#include "workpool.h"

#include <algorithm>

namespace backend {

WorkPool::WorkPool(std::size_t threads, std::size_t queueLimit)
    : queueLimit_(queueLimit) {
    for (std::size_t i = 0; i < std::max<std::size_t>(threads, 1); ++i) {
        threads_.emplace_back([this] { run(); });
    }
}

WorkPool::~WorkPool() {
    join();
}

void WorkPool::join() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (auto& thread : threads_) {
        thread.join();
    }
    threads_.clear();
}

// Both notify under the lock: once a job has run, whoever waited for it may destroy the pool,
// and a poster still on its way to the notification would touch a destroyed condition.
bool WorkPool::tryPost(std::function<void()> job) {
    const std::lock_guard lock(mutex_);
    if (jobs_.size() >= queueLimit_) {
        return false;
    }
    jobs_.push_back(std::move(job));
    wake_.notify_one();
    return true;
}

void WorkPool::post(std::function<void()> job) {
    const std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
    wake_.notify_one();
}

void WorkPool::run() {
    while (true) {
        std::function<void()> job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (jobs_.empty()) {
                return;
            }
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        // A job that throws must not take the thread, and with it the process, down; the
        // jobs the router queues answer their own failures.
        try {
            job();
        } catch (...) {
        }
    }
}

} // namespace backend
