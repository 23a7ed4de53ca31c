#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

/// One HTTP request as the system builds it.
struct URLRequest {
    QUrl url;
    QByteArray httpMethod = "GET";
    /// Header fields in the order they were set.
    std::vector<std::pair<QByteArray, QByteArray>> headers;
    std::optional<QByteArray> httpBody;
    /// Seconds without progress after which the request fails.
    double timeoutInterval = 60.0;
    /// False keeps the answer out of the HTTP cache, for answers that carry secrets. Answers to
    /// requests with an Authorization header are never cached either way.
    bool cacheable = true;

    /// Sets a header field, replacing an earlier value of the same name in place.
    void setValue(const QByteArray& value, const QByteArray& field);
};

/// The parts of an HTTP answer the system reads.
struct HTTPURLResponse {
    qint64 statusCode = 0;
};

/// A request that failed without an answer.
struct URLError {
    int code = 0;
    QString description;
};

/// Runs on the network thread with the body, the answer and the transport error, each optional.
using DataTaskCompletion = std::function<void(
    std::optional<QByteArray>, std::optional<HTTPURLResponse>, std::optional<URLError>)>;

/// Sends HTTP requests; completions run on the session's network thread.
class URLSession {
public:
    virtual ~URLSession() = default;
    /// Starts the request at once; it is never cancelled.
    virtual void dataTask(URLRequest request, DataTaskCompletion completion) = 0;
    virtual void removeAllCachedResponses() = 0;
};
