#include "api/chatrequest.h"

#include "api/answer.h"
#include "api/requestbuilder.h"
#include "platform.h"

namespace {

/// The failure an answer is reported as, after its log line; absent for an object.
std::optional<ApiError> failureOf(const Answer::Classified& answer) {
    if (const auto* failure = std::get_if<Answer::TransportError>(&answer)) {
        Log::line("Error sending chat request: " + failure->error.description);
        return ApiError::networkError(failure->error);
    }
    if (std::holds_alternative<Answer::NotHttp>(answer)) {
        Log::line("Invalid response received from the server.");
        return ApiError::invalidResponse();
    }
    if (const auto* status = std::get_if<Answer::BadStatus>(&answer)) {
        Log::line("Server error: " + QString::number(status->statusCode));
        return ApiError::serverError(status->statusCode);
    }
    if (std::holds_alternative<Answer::NotJson>(answer)) {
        Log::line("Server error. Please try again.");
        return ApiError::invalidData();
    }
    if (std::holds_alternative<Answer::NotObject>(answer)) {
        Log::line("Failed to cast JSON response to dictionary.");
        return ApiError::invalidData();
    }
    return std::nullopt;
}

} // namespace

void sendChatRequest(const QUrl& url, const QString& accessToken, const Json& body,
                     std::function<void(std::variant<ApiError, Json>)> handler) {
    URLRequest request = makeBackendRequest(
        url, "POST", {RequestHeader::ContentType, RequestHeader::Authorization}, accessToken);
    EncodedBody encoded = encodeBody(body);
    if (!encoded.bytes) {
        Log::line("Failed to encode JSON: " + encoded.errorDescription);
        handler(ApiError::invalidData());
        return;
    }
    request.httpBody = std::move(encoded.bytes);
    Platform::current().urlSession().dataTask(
        std::move(request), [handler = std::move(handler)](auto data, auto response, auto error) {
            Answer::Classified answer =
                Answer::classify(data, response, error, Answer::Checks::PostAnswer);
            if (std::holds_alternative<Answer::NoBody>(answer)) {
                return;
            }
            if (std::optional<ApiError> failure = failureOf(answer)) {
                handler(std::move(*failure));
                return;
            }
            handler(std::move(std::get<Answer::Object>(answer).value));
        });
}
