#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <chrono>

/// A timer on the GUI thread that measures its own lateness: the longest time that thread was
/// kept from its event loop while the watchdog lived.
class GuiStallWatchdog {
public:
    explicit GuiStallWatchdog(std::chrono::milliseconds interval = std::chrono::milliseconds(10))
        : interval_(interval) {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            longest_ = std::max(longest_, sinceTick_.restart() - interval_.count());
        });
        sinceTick_.start();
        timer_.start(interval_);
    }

    [[nodiscard]] std::chrono::milliseconds longestStall() const {
        return std::chrono::milliseconds(longest_);
    }

private:
    std::chrono::milliseconds interval_;
    QTimer timer_;
    QElapsedTimer sinceTick_;
    qint64 longest_ = 0;
};
