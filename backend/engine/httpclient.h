#pragma once

#include "eventloop.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <variant>

namespace backend {

/// Where a client posts.
struct HttpClientOptions {
    /// http:// or https:// with host, optional port and path.
    std::string url;
    /// PEM file of extra trust anchors for https; the system's store is used as well.
    std::string caFile;
    std::size_t bodyLimit = 4 << 20;
};

/// The status, the fields a caller weighs and the body of an answer.
struct HttpAnswer {
    int status = 0;
    std::string contentType;
    std::string retryAfter;
    std::string body;
};

/// Why no answer arrived.
struct HttpFailure {
    enum class Kind { Refused, TimedOut, TooLarge, Cut, Other };
    Kind kind = Kind::Other;
    /// The transport's own description, for Other.
    std::string detail;
};

using HttpResult = std::variant<HttpAnswer, HttpFailure>;
using Deadline = std::chrono::steady_clock::time_point;

/// Whether a request to `url` would cross the network unencrypted: plain http to a host other
/// than this machine. Throws std::runtime_error when the URL is not http or https.
[[nodiscard]] bool sendsInClearBeyondThisMachine(const std::string& url);

/// Posts JSON to one URL asynchronously on the event loop: no thread waits for the answer.
/// The TLS context is built once, and connections are kept alive and reused.
class HttpClient {
public:
    /// Throws std::runtime_error when the URL is not http or https, or the CA file unreadable.
    HttpClient(EventLoop& loop, HttpClientOptions options);
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    /// Sends `body` with `headers`; `done` runs once, on an I/O thread, by `deadline`.
    void postJson(std::string body, std::map<std::string, std::string> headers, Deadline deadline,
                  std::function<void(HttpResult)> done);

    struct Impl;

private:
    std::shared_ptr<Impl> impl_;
};

} // namespace backend
