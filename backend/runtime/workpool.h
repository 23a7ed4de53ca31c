#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace backend {

/// Threads that run queued jobs in order. New work is refused when the queue is full, so that
/// a burst is answered at once instead of waiting without end; the continuation of work
/// already accepted is always queued.
class WorkPool {
public:
    WorkPool(std::size_t threads, std::size_t queueLimit);
    /// Runs what is queued, then joins.
    ~WorkPool();
    WorkPool(const WorkPool&) = delete;
    WorkPool& operator=(const WorkPool&) = delete;

    /// Queues `job`; false when the queue already holds its limit.
    [[nodiscard]] bool tryPost(std::function<void()> job);
    /// Queues `job` whatever the queue holds.
    void post(std::function<void()> job);
    /// Runs what is queued and joins the threads; later jobs are not run.
    void join();

private:
    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    std::size_t queueLimit_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

} // namespace backend
