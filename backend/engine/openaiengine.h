#pragma once

#include "engine.h"

#include <chrono>
#include <string>

namespace backend {

/// Where the OpenAI-compatible server is and how long to wait for it.
struct OpenAiOptions {
    std::string url;
    std::string model;
    std::string apiKey;
    std::chrono::milliseconds timeout{60000};
    std::string caFile;
};

/// Forwards to an OpenAI-compatible /v1/chat/completions server; failures throw EngineError.
class OpenAiEngine final : public Engine {
public:
    explicit OpenAiEngine(OpenAiOptions options);
    [[nodiscard]] std::string summarize(const std::string& mail) override;
    [[nodiscard]] std::string reply(const std::string& mail, const std::string& userName) override;
    [[nodiscard]] std::string chat(const std::string& mail, const std::string& question) override;

private:
    [[nodiscard]] std::string complete(const std::string& instruction, const std::string& input);
    OpenAiOptions options_;
};

} // namespace backend
