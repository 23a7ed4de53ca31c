#pragma once

#include "urlsession.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

/// The real session with every request's timeout cut short, so that a stalled answer fails
/// in a fraction of a second. Keeps the timeouts the requests asked for and counts the
/// requests whose completion has not returned yet.
class ShortTimeoutSession : public URLSession {
public:
    ShortTimeoutSession(std::unique_ptr<URLSession> real, double timeout)
        : real_(std::move(real))
        , timeout_(timeout) {}

    void dataTask(URLRequest request, DataTaskCompletion completion) override {
        {
            const std::lock_guard lock(mutex_);
            askedTimeouts_.push_back(request.timeoutInterval);
        }
        request.timeoutInterval = timeout_;
        ++*open_;
        real_->dataTask(std::move(request), [open = open_, completion = std::move(completion)](
                                                auto data, auto response, auto error) {
            completion(std::move(data), response, std::move(error));
            --*open;
        });
    }
    void removeAllCachedResponses() override { real_->removeAllCachedResponses(); }

    [[nodiscard]] int openRequests() const { return *open_; }
    [[nodiscard]] std::vector<double> askedTimeouts() const {
        const std::lock_guard lock(mutex_);
        return askedTimeouts_;
    }

private:
    std::unique_ptr<URLSession> real_;
    double timeout_;
    std::shared_ptr<std::atomic<int>> open_ = std::make_shared<std::atomic<int>>(0);
    mutable std::mutex mutex_;
    std::vector<double> askedTimeouts_;
};
