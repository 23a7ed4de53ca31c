#pragma once

#include "mainqueue.h"

#include <map>
#include <mutex>
#include <optional>

/// A main queue on virtual time: work runs only when the test thread drains or advances it.
class VirtualMainQueue : public MainQueue {
public:
    void async(std::function<void()> work) override { asyncAfter(0, std::move(work)); }
    void asyncAfter(double seconds, std::function<void()> work) override {
        schedule(now() + seconds, {std::move(work), 0, std::make_shared<bool>(false)});
    }
    [[nodiscard]] std::unique_ptr<RepeatingTimer> every(double seconds,
                                                        std::function<void()> work) override;

    /// Runs the work that is due now, including work that it posts for now.
    void runDue() { advance(0); }
    /// Moves the clock forward, running each piece of work at its due time in order.
    void advance(double seconds);
    [[nodiscard]] double now() const {
        const std::lock_guard lock(mutex_);
        return now_;
    }
    /// The virtual time at which the earliest waiting work is due.
    [[nodiscard]] std::optional<double> nextDue() const;

private:
    struct Task {
        std::function<void()> work;
        double interval = 0; // > 0 for repeating work
        std::shared_ptr<bool> cancelled;
    };

    void schedule(double due, Task task) {
        const std::lock_guard lock(mutex_);
        tasks_.emplace(std::pair{due, sequence_++}, std::move(task));
    }
    bool runOneDueBy(double limit);

    mutable std::mutex mutex_;
    std::map<std::pair<double, std::uint64_t>, Task> tasks_;
    std::uint64_t sequence_ = 0;
    double now_ = 0;
};
