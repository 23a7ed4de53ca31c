#include "fairworkpool.h"

namespace backend {

FairWorkPool::FairWorkPool(std::size_t threads, std::size_t queueLimit, std::size_t keyLimit)
    : keyLimit_(keyLimit)
    , pool_(threads, queueLimit) {}

FairWorkPool::~FairWorkPool() {
    join();
}

void FairWorkPool::join() {
    {
        const std::lock_guard lock(mutex_);
        joined_ = true;
    }
    pool_.join();
}

// The job and the pool's turn to run it are queued under one lock, so that every turn finds a
// job waiting.
bool FairWorkPool::tryPost(const std::string& key, std::function<void()> job) {
    const std::lock_guard lock(mutex_);
    auto found = keys_.find(key);
    if (joined_ || (found != keys_.end() && found->second.held >= keyLimit_) ||
        !pool_.tryPost([this] { runNext(); })) {
        return false;
    }
    if (found == keys_.end()) {
        found = keys_.try_emplace(key).first;
    }
    if (found->second.queued.empty()) {
        turns_.push_back(found);
    }
    found->second.queued.push_back(std::move(job));
    ++found->second.held;
    return true;
}

void FairWorkPool::runNext() {
    std::function<void()> job;
    Keys::iterator key;
    {
        const std::lock_guard lock(mutex_);
        key = turns_.front();
        turns_.pop_front();
        job = std::move(key->second.queued.front());
        key->second.queued.pop_front();
        if (!key->second.queued.empty()) {
            turns_.push_back(key);
        }
    }
    // The key gets its share back whatever the job does; the pool keeps the thread.
    try {
        job();
    } catch (...) {
        release(key);
        throw;
    }
    release(key);
}

void FairWorkPool::release(Keys::iterator key) {
    const std::lock_guard lock(mutex_);
    if (--key->second.held == 0) {
        keys_.erase(key);
    }
}

} // namespace backend
