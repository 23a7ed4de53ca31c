#include "api/answer.h"
#include "api/completion.h"
#include "api/handleapirequests.h"
#include "api/requestbuilder.h"

#include <memory>

namespace {

/// What one summarize call keeps alive across its sends.
struct SummarizeCall {
    URLSession& network;
    MainQueue& mainQueue;
    URLRequest request;
    SummarizeRequestBody body;
    QString messageId;
    std::function<bool()> stillSignedIn;
    ApiCompletion<SummarizedResponse> completion;

    /// Whether the token may still be sent; the call has completed when not.
    [[nodiscard]] bool mayGoOn() const {
        if (!stillSignedIn || stillSignedIn()) {
            return true;
        }
        completion(ApiError::invalidResponse().with(ApiError::Detail::signedOut));
        return false;
    }
};

constexpr int kLastAttempt = 3;
constexpr double kRetryDelaySeconds = 2.0;

void send(const std::shared_ptr<SummarizeCall>& call, int attempt);

void retryOrGiveUp(const std::shared_ptr<SummarizeCall>& call, int attempt,
                   const ApiError& failure) {
    if (attempt >= kLastAttempt) {
        Log::line("Max retry attempts reached. Request failed.");
        call->completion(failure.with(ApiError::Detail::retriesExhausted));
        return;
    }
    Log::line(QStringLiteral("Retrying request, attempt %1...").arg(attempt + 1));
    call->mainQueue.asyncAfter(kRetryDelaySeconds, [call, attempt] {
        if (call->mayGoOn()) {
            send(call, attempt + 1);
        }
    });
}

void handleAnswer(const std::shared_ptr<SummarizeCall>& call, int attempt,
                  const Answer::Classified& answer) {
    if (std::optional<ApiError> failure = Answer::postFailure(answer)) {
        Log::line(failure->message());
        if (failure->detail() == ApiError::Detail::noBody) {
            call->completion(*std::move(failure));
        } else {
            retryOrGiveUp(call, attempt, *failure);
        }
        return;
    }
    if (std::holds_alternative<Answer::NotJson>(answer)) {
        retryOrGiveUp(call, attempt, ApiError::invalidData());
        return;
    }
    const auto* object = std::get_if<Answer::Object>(&answer);
    const Json shown = object ? object->value : Json::object();
    Log::line("Response from server: " + describe(shown));
    std::optional<QString> summary = Answer::stringMember(shown, "response");
    if (!summary) {
        call->completion(Answer::logged(ApiError::invalidData().saying(
            QStringLiteral("The 'response' key does not exist or is not a string."))));
        return;
    }
    call->completion(SummarizedResponse{call->messageId, *summary});
}

void send(const std::shared_ptr<SummarizeCall>& call, int attempt) {
    EncodedBody encoded = encodeBody(toJson(call->body));
    if (!encoded.bytes) {
        retryOrGiveUp(call, attempt,
                      Answer::logged(ApiError::invalidData().saying("Failed to encode JSON: " +
                                                                    encoded.errorDescription)));
        return;
    }
    URLRequest request = call->request;
    request.httpBody = std::move(encoded.bytes);
    call->network.dataTask(
        std::move(request), [call, attempt](auto data, auto response, auto error) {
            handleAnswer(call, attempt,
                         Answer::classify(data, response, error, Answer::Checks::PostAnswer));
        });
}

} // namespace

void HandleApiRequests::summarize(const QUrl& url, const QString& userDetailsUrl,
                                  const QString& accessToken, SummarizeRequestBody body,
                                  const QString& messageId,
                                  std::function<void(const UserDetails&)> signedIn,
                                  std::function<bool()> stillSignedIn,
                                  ApiCompletion<SummarizedResponse> completion) const {
    completion = completingOn(mainQueue_, std::move(completion));
    auto call = std::make_shared<SummarizeCall>(
        SummarizeCall{network_, mainQueue_,
                      makeBackendRequest(url, "POST",
                                         {RequestHeader::ContentType, RequestHeader::Accept,
                                          RequestHeader::Authorization},
                                         accessToken),
                      std::move(body), messageId, std::move(stillSignedIn), std::move(completion)});
    fetchUserDetails(userDetailsUrl, accessToken,
                     [call, signedIn = std::move(signedIn)](ApiResult<UserDetails> checked) {
                         if (const auto* error = std::get_if<ApiError>(&checked)) {
                             // The check logged why; the caller ends its progress quietly.
                             call->completion(error->with(ApiError::Detail::userCheckFailed));
                             return;
                         }
                         if (!call->mayGoOn()) {
                             return;
                         }
                         if (signedIn) {
                             signedIn(std::get<UserDetails>(checked));
                         }
                         send(call, 0);
                     });
}
