#include "keymonitor.h"

#include <QKeyEvent>
#include <QPointer>
#include <QWindow>

namespace {

class EventFilter : public QObject {
public:
    explicit EventFilter(KeyMonitor::Handler handler)
        : handler_(std::move(handler)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return QObject::eventFilter(watched, event);
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        return handler_(KeyDown{key->key(), key->modifiers()});
    }

private:
    KeyMonitor::Handler handler_;
};

class FilterMonitor : public KeyMonitor::Monitor {
public:
    FilterMonitor(QWindow* window, KeyMonitor::Handler handler)
        : window_(window)
        , filter_(std::make_unique<EventFilter>(std::move(handler))) {
        window->installEventFilter(filter_.get());
    }
    ~FilterMonitor() override {
        if (window_) {
            window_->removeEventFilter(filter_.get());
        }
    }
    FilterMonitor(const FilterMonitor&) = delete;
    FilterMonitor& operator=(const FilterMonitor&) = delete;

private:
    QPointer<QWindow> window_;
    std::unique_ptr<EventFilter> filter_;
};

} // namespace

std::unique_ptr<KeyMonitor::Monitor> QtKeyMonitor::addLocalMonitor(QWindow* window,
                                                                   Handler handler) {
    if (window == nullptr) {
        return nullptr;
    }
    return std::make_unique<FilterMonitor>(window, std::move(handler));
}
