#pragma once

#include <Qt>
#include <functional>
#include <memory>

class QWindow;

/// A key pressed in one of the extension's windows.
struct KeyDown {
    int key = 0; // Qt::Key
    Qt::KeyboardModifiers modifiers;
};

/// Local key-down monitors: a handler sees each key pressed in a window before the window's
/// own items do.
class KeyMonitor {
public:
    /// Handler result: true swallows the event, false lets it through unchanged.
    using Handler = std::function<bool(const KeyDown&)>;

    /// An installed monitor; destroying it removes the monitor.
    class Monitor {
    public:
        virtual ~Monitor() = default;
    };

    virtual ~KeyMonitor() = default;
    /// Absent when the platform gives no monitor (no window yet).
    [[nodiscard]] virtual std::unique_ptr<Monitor> addLocalMonitor(QWindow* window,
                                                                   Handler handler) = 0;
};

/// Monitors through an event filter on the window.
class QtKeyMonitor : public KeyMonitor {
public:
    [[nodiscard]] std::unique_ptr<Monitor> addLocalMonitor(QWindow* window,
                                                           Handler handler) override;
};
