#include "mainqueue.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <cmath>

namespace {

int milliseconds(double seconds) {
    return static_cast<int>(std::lround(seconds * 1000.0));
}

class QtRepeatingTimer : public RepeatingTimer {
public:
    QtRepeatingTimer(double seconds, std::function<void()> work)
        : timer_(new QTimer) {
        // The timer must live on the GUI thread, whichever thread asks for it.
        timer_->moveToThread(QCoreApplication::instance()->thread());
        QObject::connect(timer_, &QTimer::timeout, timer_, std::move(work));
        QMetaObject::invokeMethod(
            timer_, [t = timer_, ms = milliseconds(seconds)] { t->start(ms); },
            Qt::QueuedConnection);
    }
    ~QtRepeatingTimer() override { timer_->deleteLater(); }
    QtRepeatingTimer(const QtRepeatingTimer&) = delete;
    QtRepeatingTimer& operator=(const QtRepeatingTimer&) = delete;

private:
    QTimer* timer_;
};

} // namespace

void QtMainQueue::async(std::function<void()> work) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
}

void QtMainQueue::asyncAfter(double seconds, std::function<void()> work) {
    async([ms = milliseconds(seconds), work = std::move(work)]() mutable {
        QTimer::singleShot(ms, QCoreApplication::instance(), std::move(work));
    });
}

std::unique_ptr<RepeatingTimer> QtMainQueue::every(double seconds, std::function<void()> work) {
    return std::make_unique<QtRepeatingTimer>(seconds, std::move(work));
}
