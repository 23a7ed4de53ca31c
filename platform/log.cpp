#include "log.h"

#include "platform.h"

#include <cstdio>
#include <list>
#include <mutex>

namespace {

struct Observers {
    std::mutex mutex;
    std::list<std::function<void(const QString&)>> list;

    static Observers& shared() {
        static Observers observers;
        return observers;
    }
};

class ListedObservation : public Log::Observation {
public:
    explicit ListedObservation(std::list<std::function<void(const QString&)>>::iterator entry)
        : entry_(entry) {}
    ~ListedObservation() override {
        Observers& observers = Observers::shared();
        const std::lock_guard lock(observers.mutex);
        observers.list.erase(entry_);
    }
    ListedObservation(const ListedObservation&) = delete;
    ListedObservation& operator=(const ListedObservation&) = delete;

private:
    std::list<std::function<void(const QString&)>>::iterator entry_;
};

} // namespace

void StandardOutputLog::write(const QString& line) {
    static std::mutex mutex;
    const QByteArray bytes = line.toUtf8() + '\n';
    const std::lock_guard lock(mutex);
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

void Log::write(const QString& line) {
    Platform::current().log().write(line);
    Observers& observers = Observers::shared();
    // Held while calling, so that an observation that ends on another thread never sees a
    // call into an observer already gone.
    const std::lock_guard lock(observers.mutex);
    for (const auto& observer : observers.list) {
        observer(line);
    }
}

std::unique_ptr<Log::Observation> Log::observe(std::function<void(const QString&)> observer) {
    Observers& observers = Observers::shared();
    const std::lock_guard lock(observers.mutex);
    observers.list.push_back(std::move(observer));
    return std::make_unique<ListedObservation>(std::prev(observers.list.end()));
}
