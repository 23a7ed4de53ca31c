#pragma once

#include "callgate.h"
#include "engine.h"
#include "httpclient.h"

#include <chrono>
#include <string>

namespace backend {

/// Where the OpenAI-compatible server is, how long to wait for it and how many calls it gets
/// at once.
struct OpenAiOptions {
    std::string url;
    std::string model;
    std::string apiKey;
    std::chrono::milliseconds timeout{60000};
    std::string caFile;
    std::size_t concurrency = 64;
    std::size_t queueLimit = 256;
};

/// Forwards to an OpenAI-compatible /v1/chat/completions server without holding a thread
/// while it waits. Failures complete with EngineError; a full queue with a busy one.
class OpenAiEngine final : public Engine {
public:
    /// Throws std::runtime_error when the URL or the CA file is unusable.
    OpenAiEngine(EventLoop& loop, OpenAiOptions options);
    void summarize(const std::string& mail, Done done) override;
    void reply(const std::string& mail, const std::string& userName, Done done) override;
    void chat(const std::string& mail, const std::string& question, Done done) override;

private:
    void complete(const std::string& instruction, const std::string& input, Done done);

    OpenAiOptions options_;
    HttpClient client_;
    CallGate gate_;
};

} // namespace backend
