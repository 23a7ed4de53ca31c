#include "fakeurlsession.h"

FakeURLSession::FakeURLSession()
    : thread_([this] { run(); }) {}

FakeURLSession::~FakeURLSession() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void FakeURLSession::answer(const QString& path, std::vector<ScriptedAnswer> answers) {
    const std::lock_guard lock(mutex_);
    answers_[path] = std::move(answers);
}

std::vector<URLRequest> FakeURLSession::requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<URLRequest> FakeURLSession::requestsTo(const QString& path) const {
    std::vector<URLRequest> matching = requests();
    std::erase_if(matching, [&](const URLRequest& request) { return request.url.path() != path; });
    return matching;
}

bool FakeURLSession::waitUntilIdle(std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [this] { return completed_ == requests_.size(); });
}

void FakeURLSession::dataTask(URLRequest request, DataTaskCompletion completion) {
    {
        const std::lock_guard lock(mutex_);
        auto scripted = answers_.find(request.url.path());
        ScriptedAnswer answer = ScriptedAnswer::http(404, QByteArray(R"({"error":"not found"})"));
        if (scripted != answers_.end() && !scripted->second.empty()) {
            answer = scripted->second.front();
            if (scripted->second.size() > 1) {
                scripted->second.erase(scripted->second.begin());
            }
        }
        requests_.push_back(std::move(request));
        pending_.emplace_back(std::move(completion), std::move(answer));
    }
    changed_.notify_all();
}

void FakeURLSession::run() {
    std::unique_lock lock(mutex_);
    while (true) {
        changed_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
        if (stopping_) {
            return; // the platform is going away: nothing may complete into it now
        }
        auto [completion, answer] = std::move(pending_.front());
        pending_.pop_front();
        if (answer.never) {
            unanswered_.push_back(std::move(completion));
            ++completed_; // as far as waiting goes: nothing more will come of it
            changed_.notify_all();
            continue;
        }
        lock.unlock();
        std::optional<HTTPURLResponse> response;
        if (answer.status) {
            response = HTTPURLResponse{*answer.status};
        }
        completion(answer.body, response, answer.error);
        completion = nullptr; // what it holds goes before the request counts as completed
        lock.lock();
        ++completed_;
        changed_.notify_all();
    }
}
