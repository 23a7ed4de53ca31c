#pragma once

#include "callgate.h"
#include "engine.h"
#include "httpclient.h"
#include "inputbudget.h"
#include "modelanswer.h"
#include "modelcircuit.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace backend {

/// Where the OpenAI-compatible server is, which model each task asks, how long a call may take
/// and how many calls it gets at once.
struct OpenAiOptions {
    std::string url;
    std::string model;
    /// Per task instead of `model`, when not empty.
    std::string summaryModel;
    std::string replyModel;
    std::string chatModel;
    /// Passed on only when set; the server's defaults hold otherwise.
    std::optional<double> temperature;
    std::optional<std::int64_t> maxTokens;
    std::string apiKey;
    /// The whole call, queue wait included.
    std::chrono::milliseconds timeout{50000};
    /// A longer mail is cut, keeping its start.
    std::size_t maxInputCharacters = 24000;
    std::string caFile;
    std::size_t concurrency = 64;
    std::size_t queueLimit = 256;
    /// Plain http to another machine sends the key and the mails in clear: refused unless set.
    bool allowHttp = false;
    /// How long a server that failed is not asked again.
    std::chrono::seconds pauseAfterFailure{30};
};

/// What the engine reaches besides the model server.
struct OpenAiServices {
    std::function<void(const std::string&)> log = [](const std::string&) {};
    /// Answers in the model's place when it fails; none by default.
    Engine* fallback = nullptr;
    /// Where the fallback's work runs; on the failing call's thread when empty.
    std::function<void(std::function<void()>)> runFallback;
    ModelCircuit::Now now = [] { return std::chrono::steady_clock::now(); };
};

/// Forwards to an OpenAI-compatible /v1/chat/completions server without holding a thread
/// while it waits. Failures complete with EngineError, or with the fallback's answer, and each
/// writes one log line.
class OpenAiEngine final : public Engine {
public:
    /// Throws std::runtime_error when the URL or the CA file is unusable, or the URL is plain
    /// http to another machine without `allowHttp`.
    OpenAiEngine(EventLoop& loop, OpenAiOptions options, OpenAiServices services = {});
    void summarize(const std::string& mail, Done done) override;
    void reply(const std::string& mail, const std::string& userName, Done done) override;
    void chat(const std::string& mail, const std::string& question, Done done) override;

private:
    /// Asks the same of another engine.
    using Ask = std::function<void(Engine&, Done)>;
    struct Prompt {
        const std::string& model;
        std::string instruction;
        std::string input;
    };

    /// The mail's own text within the budget; the cut is logged.
    [[nodiscard]] InputBudget budgeted(const std::string& mail) const;
    void complete(const Prompt& prompt, const Ask& ask, const Done& done);
    /// Keeps the server from being asked again soon when it looks unavailable.
    EngineResult settle(ModelOutcome outcome);
    void deliver(EngineResult result, const Ask& ask, const Done& done);
    void fail(const EngineError& failure, const Ask& ask, const Done& done);

    OpenAiOptions options_;
    OpenAiServices services_;
    HttpClient client_;
    CallGate gate_;
    ModelCircuit circuit_;
};

} // namespace backend
