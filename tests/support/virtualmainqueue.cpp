#include "virtualmainqueue.h"

namespace {

class VirtualRepeatingTimer : public RepeatingTimer {
public:
    explicit VirtualRepeatingTimer(std::shared_ptr<bool> cancelled)
        : cancelled_(std::move(cancelled)) {}
    ~VirtualRepeatingTimer() override { *cancelled_ = true; }
    VirtualRepeatingTimer(const VirtualRepeatingTimer&) = delete;
    VirtualRepeatingTimer& operator=(const VirtualRepeatingTimer&) = delete;

private:
    std::shared_ptr<bool> cancelled_;
};

} // namespace

double VirtualMainQueue::dueIn(double seconds) const {
    const std::lock_guard lock(mutex_);
    return now_ + seconds;
}

void VirtualMainQueue::schedule(double due, Task task) {
    const std::lock_guard lock(mutex_);
    tasks_.emplace(Key{due, sequence_++}, std::move(task));
}

void VirtualMainQueue::async(std::function<void()> work) {
    asyncAfter(0, std::move(work));
}

void VirtualMainQueue::asyncAfter(double seconds, std::function<void()> work) {
    schedule(dueIn(seconds), Task{std::move(work), 0, std::make_shared<bool>(false)});
}

std::unique_ptr<RepeatingTimer> VirtualMainQueue::every(double seconds,
                                                        std::function<void()> work) {
    auto cancelled = std::make_shared<bool>(false);
    schedule(dueIn(seconds), Task{std::move(work), seconds, cancelled});
    return std::make_unique<VirtualRepeatingTimer>(cancelled);
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
    if (*task.cancelled) {
        return true;
    }
    task.work();
    if (task.interval > 0 && !*task.cancelled) {
        schedule(due + task.interval, std::move(task));
    }
    return true;
}

void VirtualMainQueue::runDue() {
    while (runOneDueBy(now())) {
    }
}

void VirtualMainQueue::advance(double seconds) {
    const double target = now() + seconds;
    while (runOneDueBy(target)) {
    }
    const std::lock_guard lock(mutex_);
    now_ = target;
}

double VirtualMainQueue::now() const {
    const std::lock_guard lock(mutex_);
    return now_;
}

std::size_t VirtualMainQueue::scheduledCount() const {
    const std::lock_guard lock(mutex_);
    std::size_t count = 0;
    for (const auto& [key, task] : tasks_) {
        count += key.first > now_ && !*task.cancelled ? 1 : 0;
    }
    return count;
}

std::optional<double> VirtualMainQueue::nextDue() const {
    const std::lock_guard lock(mutex_);
    for (const auto& [key, task] : tasks_) {
        if (!*task.cancelled) {
            return key.first;
        }
    }
    return std::nullopt;
}
