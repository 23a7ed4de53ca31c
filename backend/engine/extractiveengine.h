#pragma once

#include "engine.h"

namespace backend {

/// The embedded engine: ranks the message's own sentences; deterministic and n log n. It
/// computes on the calling thread and completes before it returns.
class ExtractiveEngine final : public Engine {
public:
    [[nodiscard]] std::string summarize(const std::string& mail);
    [[nodiscard]] std::string reply(const std::string& mail, const std::string& userName);
    [[nodiscard]] std::string chat(const std::string& mail, const std::string& question);

    void summarize(const std::string& mail, Done done) override { done(summarize(mail)); }
    void reply(const std::string& mail, const std::string& userName, Done done) override {
        done(reply(mail, userName));
    }
    void chat(const std::string& mail, const std::string& question, Done done) override {
        done(chat(mail, question));
    }
};

} // namespace backend
