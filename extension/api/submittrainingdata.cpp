#include "api/answer.h"
#include "api/handleapirequests.h"
#include "api/requestbuilder.h"
#include "platform.h"

namespace {

std::optional<QString> successText(const Answer::Classified& answer) {
    const auto* object = std::get_if<Answer::Object>(&answer);
    return object ? Answer::stringMember(object->value, "success") : std::nullopt;
}

void handleAnswer(const Answer::Classified& answer,
                  const HandleApiRequests::TrainingDataCompletion& completion) {
    if (const std::optional<QString> failure = Answer::postFailureText(answer)) {
        Log::line(*failure);
    } else if (std::holds_alternative<Answer::NotJson>(answer)) {
        Log::line("Server error. Please try again.");
    } else if (std::holds_alternative<Answer::NoBody>(answer)) {
        return;
    } else if (std::optional<QString> success = successText(answer)) {
        completion(std::move(*success));
    } else {
        Log::line("The 'sucess' key does not exist or is not a string.");
    }
}

} // namespace

void HandleApiRequests::submitTrainingData(const QUrl& url, const QString& accessToken,
                                           const TrainingDataBody& body,
                                           TrainingDataCompletion completion) {
    URLRequest request = makeBackendRequest(
        url, "POST", {RequestHeader::ContentType, RequestHeader::Authorization}, accessToken);
    Log::line("TRAINIG DATA BODY", textForm(body));
    EncodedBody encoded = encodeBody(toJson(body));
    if (!encoded.bytes) {
        Log::line("Failed to encode JSON: " + encoded.errorDescription);
        return;
    }
    request.httpBody = std::move(encoded.bytes);
    Platform::current().urlSession().dataTask(
        std::move(request),
        [completion = std::move(completion)](auto data, auto response, auto error) {
            handleAnswer(Answer::classify(data, response, error, Answer::Checks::PostAnswer),
                         completion);
        });
}
