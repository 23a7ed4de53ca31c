#include "api/answer.h"
#include "api/handleapirequests.h"
#include "api/requestbuilder.h"
#include "platform.h"
#include "stores/apimanager.h"
#include "stores/summarizemanager.h"

#include <memory>

namespace {

/// What one summarize call keeps alive across its sends.
struct SummarizeCall {
    URLRequest request;
    SummarizeRequestBody body;
    QString messageId;
    HandleApiRequests::SummarizeCompletion completion;
};

constexpr int kLastAttempt = 3;
constexpr double kRetryDelaySeconds = 2.0;

void send(const std::shared_ptr<SummarizeCall>& call, int attempt);

void retryOrGiveUp(const std::shared_ptr<SummarizeCall>& call, int attempt) {
    MainQueue& mainQueue = Platform::current().mainQueue();
    if (attempt >= kLastAttempt) {
        Log::line("Max retry attempts reached. Request failed.");
        // Readers of the flag live on the main thread; it is set there before the caller's
        // own work, which the caller posts after this completion, can run.
        mainQueue.async([] { SummarizeManager::shared().requestFailed = true; });
        call->completion(std::nullopt, std::nullopt);
        return;
    }
    Log::line(QStringLiteral("Retrying request, attempt %1...").arg(attempt + 1));
    mainQueue.asyncAfter(kRetryDelaySeconds, [call, attempt] { send(call, attempt + 1); });
}

void handleAnswer(const std::shared_ptr<SummarizeCall>& call, int attempt,
                  const Answer::Classified& answer) {
    if (const std::optional<QString> failure = Answer::postFailureText(answer)) {
        Log::line(*failure);
        retryOrGiveUp(call, attempt);
    } else if (std::holds_alternative<Answer::NoBody>(answer)) {
        Log::line("No data received from server.");
        call->completion(std::nullopt, std::nullopt);
    } else if (std::holds_alternative<Answer::NotJson>(answer)) {
        retryOrGiveUp(call, attempt);
    } else {
        const auto* object = std::get_if<Answer::Object>(&answer);
        const Json shown = object ? object->value : Json::object();
        Log::line("Response from server: " + describe(shown));
        if (std::optional<QString> summary = Answer::stringMember(shown, "response")) {
            call->completion(call->messageId, std::move(summary));
        } else {
            Log::line("The 'response' key does not exist or is not a string.");
            call->completion(std::nullopt, std::nullopt);
        }
    }
}

void send(const std::shared_ptr<SummarizeCall>& call, int attempt) {
    EncodedBody encoded = encodeBody(toJson(call->body));
    if (!encoded.bytes) {
        Log::line("Failed to encode JSON: " + encoded.errorDescription);
        retryOrGiveUp(call, attempt);
        return;
    }
    URLRequest request = call->request;
    request.httpBody = std::move(encoded.bytes);
    Platform::current().urlSession().dataTask(
        std::move(request), [call, attempt](auto data, auto response, auto error) {
            handleAnswer(call, attempt,
                         Answer::classify(data, response, error, Answer::Checks::PostAnswer));
        });
}

} // namespace

void HandleApiRequests::summarize(const QUrl& url, const QString& accessToken,
                                  SummarizeRequestBody body, const QString& messageId,
                                  SummarizeCompletion completion) {
    auto call = std::make_shared<SummarizeCall>(
        SummarizeCall{makeBackendRequest(url, "POST",
                                         {RequestHeader::ContentType, RequestHeader::Accept,
                                          RequestHeader::Authorization},
                                         accessToken),
                      std::move(body), messageId, std::move(completion)});
    fetchUserDetails(currentApiUrl() + QStringLiteral("/me"), accessToken,
                     [call](UserDetailsManager&) { send(call, 0); });
}
