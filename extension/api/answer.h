#pragma once

#include "api/apierror.h"
#include "api/json.h"
#include "urlsession.h"

#include <cstdint>
#include <variant>

/// The first check that an answer failed, or the JSON object it carried.
namespace Answer {

struct TransportError {
    URLError error;
};
struct NotHttp {};
struct BadStatus {
    std::int64_t statusCode;
};
struct NoBody {};
struct NotJson {
    QString description;
};
struct NotObject {};
struct Object {
    Json value;
};

using Classified =
    std::variant<TransportError, NotHttp, BadStatus, NoBody, NotJson, NotObject, Object>;

/// The POST operations check the HTTP answer and accept a top-level scalar as JSON; the GET
/// operations look only at the body and take only an array or object as JSON.
enum class Checks { PostAnswer, GetAnswer };

[[nodiscard]] Classified classify(const std::optional<QByteArray>& data,
                                  const std::optional<HTTPURLResponse>& response,
                                  const std::optional<URLError>& error, Checks checks);

/// The error of a POST answer that failed at a check every POST operation words alike
/// (transport error, not HTTP, status, no body), saying that check's text; absent past them.
[[nodiscard]] std::optional<ApiError> postFailure(const Classified& answer);

/// The error of a GET answer that failed before its members were read (transport error, no
/// body, not JSON, not an object), after its log line; the parse line starts with
/// `parseFailurePrefix`. Absent for an object.
[[nodiscard]] std::optional<ApiError> getFailure(const Classified& answer,
                                                 const QString& parseFailurePrefix);

/// A request that was not sent because its URL is not valid, after `line` was logged.
[[nodiscard]] ApiError invalidUrl(const QString& line);

/// `error` after its message was logged.
[[nodiscard]] ApiError logged(ApiError error);

/// The member `name` of `object` when it is a string.
[[nodiscard]] std::optional<QString> stringMember(const Json& object, const char* name);

} // namespace Answer
