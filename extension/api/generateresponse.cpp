#include "api/answer.h"
#include "api/handleapirequests.h"
#include "api/requestbuilder.h"
#include "platform.h"

namespace {

/// The error text of a failed answer, or the reply.
std::variant<QString, QString> replyOrError(const Answer::Classified& answer) {
    using Result = std::variant<QString, QString>;
    const auto error = [](QString text) { return Result(std::in_place_index<1>, std::move(text)); };
    if (std::optional<QString> failure = Answer::postFailureText(answer)) {
        return error(std::move(*failure));
    }
    if (std::holds_alternative<Answer::NoBody>(answer)) {
        return error(QStringLiteral("No data received from server."));
    }
    if (std::holds_alternative<Answer::NotJson>(answer)) {
        return error(QStringLiteral("Server error! Please try again later."));
    }
    if (const auto* object = std::get_if<Answer::Object>(&answer)) {
        if (std::optional<QString> reply = Answer::stringMember(object->value, "response")) {
            return Result(std::in_place_index<0>, std::move(*reply));
        }
    }
    return error(QStringLiteral("The 'response' key does not exist or is not a string."));
}

} // namespace

void HandleApiRequests::generateResponse(const QUrl& url, const QString& accessToken,
                                         const GenerateResponseBody& body, const QString& messageId,
                                         GenerateResponseCompletion completion) {
    URLRequest request = makeBackendRequest(
        url, "POST",
        {RequestHeader::ContentType, RequestHeader::Accept, RequestHeader::Authorization},
        accessToken);
    EncodedBody encoded = encodeBody(toJson(body));
    if (!encoded.bytes) {
        completion(std::nullopt, std::nullopt,
                   "Failed to encode JSON: " + encoded.errorDescription);
        return;
    }
    request.httpBody = std::move(encoded.bytes);
    Platform::current().urlSession().dataTask(
        std::move(request),
        [messageId, completion = std::move(completion)](auto data, auto response, auto error) {
            auto result =
                replyOrError(Answer::classify(data, response, error, Answer::Checks::PostAnswer));
            if (result.index() == 0) {
                completion(messageId, std::get<0>(std::move(result)), std::nullopt);
            } else {
                completion(std::nullopt, std::nullopt, std::get<1>(std::move(result)));
            }
        });
}
