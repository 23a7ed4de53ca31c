#pragma once

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

/// The text of a failure at the first three checks of a POST answer (transport error, not
/// HTTP, status), as the POST operations log or report it; absent past them.
[[nodiscard]] std::optional<QString> postFailureText(const Classified& answer);

/// Logs a failure at the checks the GET operations share (transport error, no body, not
/// JSON); the parse line starts with `parseFailurePrefix`. True when the answer failed there.
bool logGetFailure(const Classified& answer, const QString& parseFailurePrefix);

/// The member `name` of `object` when it is a string.
[[nodiscard]] std::optional<QString> stringMember(const Json& object, const char* name);

} // namespace Answer
