#pragma once

#include "workpool.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>

namespace backend {

/// Threads that run jobs each queued under a key, such as a client address, taking the keys
/// in turn: a key's job waits for at most one job of each other key with work queued, not
/// behind another key's flood. A key may have only `keyLimit` jobs queued or running, and the
/// queue as a whole `queueLimit`; past either, new work is refused at once.
class FairWorkPool {
public:
    FairWorkPool(std::size_t threads, std::size_t queueLimit, std::size_t keyLimit);
    /// Runs what is queued, then joins.
    ~FairWorkPool();
    FairWorkPool(const FairWorkPool&) = delete;
    FairWorkPool& operator=(const FairWorkPool&) = delete;

    /// Queues `job` under `key`; false when the queue or the key holds its limit, or once
    /// joined.
    [[nodiscard]] bool tryPost(const std::string& key, std::function<void()> job);
    /// Runs what is queued and joins the threads; later jobs are refused.
    void join();

private:
    struct Key {
        std::deque<std::function<void()>> queued;
        /// Queued or running.
        std::size_t held = 0;
    };
    using Keys = std::map<std::string, Key>;

    /// Runs the first job of the key whose turn it is.
    void runNext();
    void release(Keys::iterator key);

    std::mutex mutex_;
    Keys keys_;
    /// The keys with queued jobs, each once, in the order they are served.
    std::deque<Keys::iterator> turns_;
    std::size_t keyLimit_;
    bool joined_ = false;
    /// Holds one `runNext` per queued job. Last, so that its threads stop before what they use
    /// goes.
    WorkPool pool_;
};

} // namespace backend
