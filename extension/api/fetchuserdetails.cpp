#include "api/answer.h"
#include "api/completion.h"
#include "api/handleapirequests.h"
#include "api/requestbuilder.h"
#include "api/tokenredaction.h"
#include "url.h"

namespace {

ApiResult<UserDetails> userDetailsOf(const Answer::Classified& answer) {
    if (std::optional<ApiError> failure = Answer::getFailure(
            answer, QStringLiteral("Error parsing response data from user details: "))) {
        return *std::move(failure);
    }
    const Json& object = std::get<Answer::Object>(answer).value;
    std::optional<QString> email = Answer::stringMember(object, "email");
    std::optional<QString> name = Answer::stringMember(object, "name");
    if (!email || !name) {
        return Answer::logged(
            ApiError::invalidData().saying(QStringLiteral("Email or name not found in response")));
    }
    return UserDetails{std::move(*email), std::move(*name)};
}

} // namespace

void HandleApiRequests::fetchUserDetails(const QString& urlText, const QString& accessToken,
                                         ApiCompletion<UserDetails> completion) const {
    completion = completingOn(mainQueue_, std::move(completion));
    const std::optional<QUrl> url = parseUrl(urlText);
    if (!url) {
        completion(Answer::invalidUrl(QStringLiteral("Invalid URL")));
        return;
    }
    Log::line("URL:", *url);
    Log::line("ACCESS TOKEN:", redactedToken(accessToken));
    URLRequest request =
        makeBackendRequest(*url, "GET", {RequestHeader::Authorization}, accessToken);
    network_.dataTask(std::move(request),
                      [completion = std::move(completion)](auto data, auto response, auto error) {
                          completion(userDetailsOf(
                              Answer::classify(data, response, error, Answer::Checks::GetAnswer)));
                      });
}
