#pragma once

#include "engine.h"
#include "httpclient.h"

#include <chrono>
#include <string>

namespace backend {

/// The model server as failure texts name it.
struct ModelServer {
    /// The base URL it was configured with.
    std::string url;
    std::string model;
    /// How long one call may take, queue wait included.
    std::chrono::milliseconds timeout{0};
};

/// What one call to the model came to: the draft, or a failure that names what failed without
/// repeating the server's own words, and whether the server looks unavailable, so that it is
/// not waited on again at once.
struct ModelOutcome {
    EngineResult result;
    bool serverUnavailable = false;
};

[[nodiscard]] ModelOutcome readModelAnswer(const HttpResult& result, const ModelServer& server);

/// "50 s", or "300 ms" below a whole second.
[[nodiscard]] std::string durationText(std::chrono::milliseconds duration);

} // namespace backend
