#include "api/chatrequest.h"

#include "api/requestbuilder.h"
#include "log.h"

namespace {

/// The failure an answer is reported as, after its log line; absent for an object.
std::optional<ApiError> failureOf(const Answer::Classified& answer) {
    if (const auto* failure = std::get_if<Answer::TransportError>(&answer)) {
        return Answer::logged(
            ApiError::networkError(failure->error)
                .saying("Error sending chat request: " + failure->error.description));
    }
    if (std::optional<ApiError> failure = Answer::postFailure(answer)) {
        return failure->detail() == ApiError::Detail::noBody ? *failure : Answer::logged(*failure);
    }
    if (std::holds_alternative<Answer::NotJson>(answer)) {
        return Answer::logged(
            ApiError::invalidData().saying(QStringLiteral("Server error. Please try again.")));
    }
    if (std::holds_alternative<Answer::NotObject>(answer)) {
        return Answer::logged(
            ApiError::invalidData()
                .with(ApiError::Detail::notObject)
                .saying(QStringLiteral("Failed to cast JSON response to dictionary.")));
    }
    return std::nullopt;
}

} // namespace

void sendChatRequest(URLSession& network, const QUrl& url, const QString& accessToken,
                     const Json& body, std::function<void(ApiResult<Json>)> handler) {
    URLRequest request = makeBackendRequest(
        url, "POST", {RequestHeader::ContentType, RequestHeader::Authorization}, accessToken);
    EncodedBody encoded = encodeBody(body);
    if (!encoded.bytes) {
        handler(Answer::logged(
            ApiError::invalidData().saying("Failed to encode JSON: " + encoded.errorDescription)));
        return;
    }
    request.httpBody = std::move(encoded.bytes);
    network.dataTask(std::move(request),
                     [handler = std::move(handler)](auto data, auto response, auto error) {
                         Answer::Classified answer =
                             Answer::classify(data, response, error, Answer::Checks::PostAnswer);
                         if (std::optional<ApiError> failure = failureOf(answer)) {
                             handler(std::move(*failure));
                             return;
                         }
                         handler(std::move(std::get<Answer::Object>(answer).value));
                     });
}
