#include "notificationcenter.h"

#include <map>
#include <mutex>
#include <vector>

struct NotificationCenter::State {
    struct Entry {
        QString name;
        std::shared_ptr<std::function<void()>> handler;
    };
    std::mutex mutex;
    std::map<std::uint64_t, Entry> observers;
    std::uint64_t nextId = 0;
};

namespace {

class Registration : public NotificationCenter::Observation {
public:
    Registration(std::weak_ptr<NotificationCenter::State> state, std::uint64_t id)
        : state_(std::move(state))
        , id_(id) {}
    ~Registration() override {
        if (auto state = state_.lock()) {
            const std::lock_guard lock(state->mutex);
            state->observers.erase(id_);
        }
    }
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;

private:
    std::weak_ptr<NotificationCenter::State> state_;
    std::uint64_t id_;
};

} // namespace

NotificationCenter::NotificationCenter()
    : state_(std::make_shared<State>()) {}

NotificationCenter::~NotificationCenter() = default;

std::unique_ptr<NotificationCenter::Observation>
NotificationCenter::addObserver(const QString& name, std::function<void()> handler) {
    const std::lock_guard lock(state_->mutex);
    const std::uint64_t id = state_->nextId++;
    state_->observers.emplace(
        id, State::Entry{name, std::make_shared<std::function<void()>>(std::move(handler))});
    return std::make_unique<Registration>(state_, id);
}

void NotificationCenter::post(const QString& name) {
    // Handlers run without the lock so that they may add or remove observers themselves.
    std::vector<std::shared_ptr<std::function<void()>>> handlers;
    {
        const std::lock_guard lock(state_->mutex);
        for (const auto& [id, entry] : state_->observers) {
            if (entry.name == name) {
                handlers.push_back(entry.handler);
            }
        }
    }
    for (const auto& handler : handlers) {
        (*handler)();
    }
}
