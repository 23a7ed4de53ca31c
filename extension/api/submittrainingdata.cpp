#include "api/answer.h"
#include "api/completion.h"
#include "api/handleapirequests.h"
#include "api/requestbuilder.h"

namespace {

ApiResult<QString> successOf(const Answer::Classified& answer) {
    if (std::optional<ApiError> failure = Answer::postFailure(answer)) {
        // An empty 2xx answer was never logged here.
        return failure->detail() == ApiError::Detail::noBody ? *failure : Answer::logged(*failure);
    }
    if (std::holds_alternative<Answer::NotJson>(answer)) {
        return Answer::logged(
            ApiError::invalidData().saying(QStringLiteral("Server error. Please try again.")));
    }
    const auto* object = std::get_if<Answer::Object>(&answer);
    if (std::optional<QString> success =
            object ? Answer::stringMember(object->value, "success") : std::nullopt) {
        return *std::move(success);
    }
    return Answer::logged(ApiError::invalidData().saying(
        QStringLiteral("The 'sucess' key does not exist or is not a string.")));
}

} // namespace

void HandleApiRequests::submitTrainingData(const QUrl& url, const QString& accessToken,
                                           const TrainingDataBody& body,
                                           ApiCompletion<QString> completion) const {
    completion = completingOn(mainQueue_, std::move(completion));
    URLRequest request = makeBackendRequest(
        url, "POST", {RequestHeader::ContentType, RequestHeader::Authorization}, accessToken);
    Log::line("TRAINIG DATA BODY", textForm(body));
    EncodedBody encoded = encodeBody(toJson(body));
    if (!encoded.bytes) {
        completion(Answer::logged(
            ApiError::invalidData().saying("Failed to encode JSON: " + encoded.errorDescription)));
        return;
    }
    request.httpBody = std::move(encoded.bytes);
    network_.dataTask(std::move(request), [completion = std::move(completion)](
                                              auto data, auto response, auto error) {
        completion(successOf(Answer::classify(data, response, error, Answer::Checks::PostAnswer)));
    });
}
