#include "api/answer.h"
#include "api/completion.h"
#include "api/handleapirequests.h"
#include "api/requestbuilder.h"

namespace {

const QString kNoResponse = QStringLiteral("The 'response' key does not exist or is not a string.");

ApiResult<GeneratedResponse> replyOf(const Answer::Classified& answer, const QString& messageId) {
    if (std::optional<ApiError> failure = Answer::postFailure(answer)) {
        return *std::move(failure);
    }
    if (std::holds_alternative<Answer::NotJson>(answer)) {
        return ApiError::invalidData().saying(
            QStringLiteral("Server error! Please try again later."));
    }
    if (std::holds_alternative<Answer::NotObject>(answer)) {
        return ApiError::invalidData().with(ApiError::Detail::notObject).saying(kNoResponse);
    }
    std::optional<QString> reply =
        Answer::stringMember(std::get<Answer::Object>(answer).value, "response");
    if (!reply) {
        return ApiError::invalidData().saying(kNoResponse);
    }
    return GeneratedResponse{messageId, std::move(*reply)};
}

} // namespace

void HandleApiRequests::generateResponse(const QUrl& url, const QString& accessToken,
                                         const GenerateResponseBody& body, const QString& messageId,
                                         ApiCompletion<GeneratedResponse> completion) const {
    completion = completingOn(mainQueue_, std::move(completion));
    URLRequest request = makeBackendRequest(
        url, "POST",
        {RequestHeader::ContentType, RequestHeader::Accept, RequestHeader::Authorization},
        accessToken);
    EncodedBody encoded = encodeBody(toJson(body));
    if (!encoded.bytes) {
        completion(
            ApiError::invalidData().saying("Failed to encode JSON: " + encoded.errorDescription));
        return;
    }
    request.httpBody = std::move(encoded.bytes);
    network_.dataTask(std::move(request), [messageId, completion = std::move(completion)](
                                              auto data, auto response, auto error) {
        completion(replyOf(Answer::classify(data, response, error, Answer::Checks::PostAnswer),
                           messageId));
    });
}
