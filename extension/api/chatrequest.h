#pragma once

#include "api/answer.h"
#include "api/apiresult.h"
#include "api/json.h"
#include "urlsession.h"

#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

/// Sends a chat request (Content-Type and Authorization, no Accept) and hands over, on the
/// network thread, the answer's JSON object or the error its failure was logged and reported
/// as. A 2xx answer without a body is reported unlogged.
void sendChatRequest(URLSession& network, const QUrl& url, const QString& accessToken,
                     const Json& body, std::function<void(ApiResult<Json>)> handler);

/// The answer `decode` finds in a chat request's outcome; a failure, or `missingLine` logged
/// when the members it needs are not there.
template <typename Response>
ApiResult<Response> decodedChatAnswer(ApiResult<Json> outcome,
                                      std::optional<Response> (*decode)(const Json&),
                                      const char* missingLine) {
    if (auto* error = std::get_if<ApiError>(&outcome)) {
        return std::move(*error);
    }
    if (std::optional<Response> answer = decode(std::get<Json>(outcome))) {
        return std::move(*answer);
    }
    return Answer::logged(ApiError::invalidData().saying(QString::fromUtf8(missingLine)));
}
