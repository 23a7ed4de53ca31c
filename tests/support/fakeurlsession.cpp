#include "fakeurlsession.h"

FakeURLSession::~FakeURLSession() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

std::vector<URLRequest> FakeURLSession::requestsTo(const QString& path) const {
    std::vector<URLRequest> matching = requests();
    std::erase_if(matching, [&](const URLRequest& request) { return request.url.path() != path; });
    return matching;
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
        lock.unlock();
        completion(answer.body,
                   answer.status ? std::optional(HTTPURLResponse{*answer.status}) : std::nullopt,
                   answer.error);
        completion = nullptr; // what it holds goes before the request counts as completed
        lock.lock();
        ++completed_;
        changed_.notify_all();
    }
}
