#pragma once

#include <QString>
#include <functional>
#include <memory>

/// Named notifications delivered synchronously on the posting thread.
class NotificationCenter {
public:
    /// Keeps an observer registered for as long as it lives.
    class Observation {
    public:
        virtual ~Observation() = default;
    };

    NotificationCenter();
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    [[nodiscard]] std::unique_ptr<Observation> addObserver(const QString& name,
                                                           std::function<void()> handler);
    void post(const QString& name);

    struct State;

private:
    std::shared_ptr<State> state_;
};
