#pragma once

#include <chrono>
#include <map>
#include <string>

namespace backend {

/// Where and how long to wait for a JSON POST.
struct HttpPost {
    std::string url;
    std::map<std::string, std::string> headers;
    std::string body;
    std::chrono::milliseconds timeout{60000};
    /// PEM file of extra trust anchors for https; the system's store is used as well.
    std::string caFile;
};

/// The status and body of an answer.
struct HttpAnswer {
    int status = 0;
    std::string body;
};

/// Sends one POST over http or https; throws std::runtime_error on transport failure or timeout.
[[nodiscard]] HttpAnswer postJson(const HttpPost& post);

} // namespace backend
