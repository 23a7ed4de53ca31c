#pragma once

#include "eventloop.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <variant>

namespace backend {

/// Where a client posts and how long it waits.
struct HttpClientOptions {
    /// http:// or https:// with host, optional port and path.
    std::string url;
    /// PEM file of extra trust anchors for https; the system's store is used as well.
    std::string caFile;
    std::chrono::milliseconds timeout{60000};
    std::size_t bodyLimit = 4 << 20;
};

/// The status and body of an answer.
struct HttpAnswer {
    int status = 0;
    std::string body;
};

/// An answer, or the text of a transport failure (refused, timed out, too large, ...).
using HttpResult = std::variant<HttpAnswer, std::string>;

/// Posts JSON to one URL asynchronously on the event loop: no thread waits for the answer.
/// The TLS context is built once, and connections are kept alive and reused.
class HttpClient {
public:
    /// Throws std::runtime_error when the URL is not http or https, or the CA file unreadable.
    HttpClient(EventLoop& loop, HttpClientOptions options);
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    /// Sends `body` with `headers`; `done` runs once, on an I/O thread, within the timeout.
    void postJson(std::string body, std::map<std::string, std::string> headers,
                  std::function<void(HttpResult)> done);

    struct Impl;

private:
    std::shared_ptr<Impl> impl_;
};

} // namespace backend
