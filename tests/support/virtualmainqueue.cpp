#include "virtualmainqueue.h"

#include <algorithm>

std::unique_ptr<RepeatingTimer> VirtualMainQueue::every(double seconds,
                                                        std::function<void()> work) {
    struct Handle : RepeatingTimer {
        ~Handle() override { *cancelled = true; }
        std::shared_ptr<bool> cancelled = std::make_shared<bool>(false);
    };
    auto handle = std::make_unique<Handle>();
    schedule(now() + seconds, {std::move(work), seconds, handle->cancelled});
    return handle;
}

bool VirtualMainQueue::runOneDueBy(double limit) {
    Task task;
    double due = 0;
    {
        const std::lock_guard lock(mutex_);
        if (tasks_.empty() || tasks_.begin()->first.first > limit) {
            return false;
        }
        auto node = tasks_.extract(tasks_.begin());
        due = node.key().first;
        task = std::move(node.mapped());
        now_ = std::max(now_, due);
    }
    if (!*task.cancelled) {
        task.work();
        if (task.interval > 0 && !*task.cancelled) {
            // Read before the move: the order in which arguments are made is unspecified.
            const double next = due + task.interval;
            schedule(next, std::move(task));
        }
    }
    return true;
}

void VirtualMainQueue::advance(double seconds) {
    const double target = now() + seconds;
    while (runOneDueBy(target)) {
    }
    const std::lock_guard lock(mutex_);
    now_ = target;
}

std::optional<double> VirtualMainQueue::nextDue() const {
    const std::lock_guard lock(mutex_);
    const auto it =
        std::ranges::find_if(tasks_, [](const auto& entry) { return !*entry.second.cancelled; });
    return it == tasks_.end() ? std::nullopt : std::optional(it->first.first);
}
