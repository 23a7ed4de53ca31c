#pragma once

#include <functional>
#include <memory>

/// A repeating timer; it stops when this handle is destroyed.
class RepeatingTimer {
public:
    virtual ~RepeatingTimer() = default;
};

/// Runs work on the GUI thread, now or after a delay; callable from any thread.
class MainQueue {
public:
    virtual ~MainQueue() = default;
    virtual void async(std::function<void()> work) = 0;
    virtual void asyncAfter(double seconds, std::function<void()> work) = 0;
    [[nodiscard]] virtual std::unique_ptr<RepeatingTimer> every(double seconds,
                                                                std::function<void()> work) = 0;
};

/// The GUI thread's Qt event loop; needs a QCoreApplication.
class QtMainQueue : public MainQueue {
public:
    void async(std::function<void()> work) override;
    void asyncAfter(double seconds, std::function<void()> work) override;
    [[nodiscard]] std::unique_ptr<RepeatingTimer> every(double seconds,
                                                        std::function<void()> work) override;
};
