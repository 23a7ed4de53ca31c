#pragma once

#include "urlsession.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

/// What a FakeURLSession hands a completion: an HTTP answer, bytes without an HTTP answer, or a
/// transport error.
struct ScriptedAnswer {
    std::optional<qint64> status = 200; // absent: not an HTTP answer
    std::optional<QByteArray> body = QByteArray("{}");
    std::optional<URLError> error;

    [[nodiscard]] static ScriptedAnswer http(qint64 status, std::optional<QByteArray> body) {
        return {status, std::move(body), std::nullopt};
    }
    [[nodiscard]] static ScriptedAnswer transportError(const QString& description) {
        return {std::nullopt, std::nullopt, URLError{-1, description}};
    }
};

/// A URL session that replays scripted answers by path, completing on a thread of its own as
/// the real session completes on its network thread.
class FakeURLSession : public URLSession {
public:
    FakeURLSession()
        : thread_([this] { run(); }) {}
    ~FakeURLSession() override;

    /// Answers requests for `path` with the answers in turn; the last one keeps answering.
    /// Other paths get 404.
    void answer(const QString& path, std::vector<ScriptedAnswer> answers) {
        const std::lock_guard lock(mutex_);
        answers_[path] = std::move(answers);
    }
    void answer(const QString& path, ScriptedAnswer answer) {
        this->answer(path, std::vector{std::move(answer)});
    }

    [[nodiscard]] std::vector<URLRequest> requests() const {
        const std::lock_guard lock(mutex_);
        return requests_;
    }
    [[nodiscard]] std::vector<URLRequest> requestsTo(const QString& path) const;
    /// Waits in real time until every request made so far has completed.
    bool waitUntilIdle(std::chrono::milliseconds limit = std::chrono::seconds(20)) const {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [this] { return completed_ == requests_.size(); });
    }

    void dataTask(URLRequest request, DataTaskCompletion completion) override;
    void removeAllCachedResponses() override {}

private:
    void run();

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::map<QString, std::vector<ScriptedAnswer>> answers_;
    std::vector<URLRequest> requests_;
    std::deque<std::pair<DataTaskCompletion, ScriptedAnswer>> pending_;
    std::size_t completed_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};
