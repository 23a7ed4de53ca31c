#pragma once

#include "json.h"
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

/// The member `name` of `object` when it is a string.
[[nodiscard]] std::optional<QString> stringMember(const Json& object, const char* name);

} // namespace Answer
