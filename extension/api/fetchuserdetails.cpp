#include "api/answer.h"
#include "api/handleapirequests.h"
#include "api/requestbuilder.h"
#include "api/tokenredaction.h"
#include "platform.h"
#include "stores/apimanager.h"
#include "stores/authmanager.h"
#include "stores/userdetailsmanager.h"
#include "url.h"

void HandleApiRequests::fetchUserDetails(const QString& urlText, const QString& accessToken,
                                         UserDetailsCompletion completion) {
    const std::optional<QUrl> url = parseUrl(urlText);
    if (!url) {
        Log::line("Invalid URL");
        return;
    }
    Log::line("URL:", *url);
    Log::line("ACCESS TOKEN:", redactedToken(accessToken));
    URLRequest request =
        makeBackendRequest(*url, "GET", {RequestHeader::Authorization}, accessToken);
    Platform::current().urlSession().dataTask(
        std::move(request),
        [completion = std::move(completion)](auto data, auto response, auto error) {
            const Answer::Classified answer =
                Answer::classify(data, response, error, Answer::Checks::GetAnswer);
            if (Answer::logGetFailure(
                    answer, QStringLiteral("Error parsing response data from user details: "))) {
                return;
            }
            if (std::holds_alternative<Answer::NotObject>(answer)) {
                Log::line("Server error. Please try again.");
            } else if (const auto* object = std::get_if<Answer::Object>(&answer)) {
                const std::optional<QString> email = Answer::stringMember(object->value, "email");
                const std::optional<QString> name = Answer::stringMember(object->value, "name");
                if (!email || !name) {
                    Log::line("Email or name not found in response");
                    return;
                }
                Platform::current().mainQueue().async([email, name, completion] {
                    UserDetailsManager& store = UserDetailsManager::shared();
                    store.setEmail(*email);
                    store.name = *name;
                    if (completion) {
                        completion(store);
                    }
                });
            }
        });
}

void HandleApiRequests::fetchUserDetailsAtSessionStart() {
    const APIManager& manager = APIManager::shared();
    Log::line("CURRENT API URL IN API MANAGER", manager.apiUrl());
    const QString urlText = manager.apiUrl() + QStringLiteral("/me");
    const QString token = AuthManager::shared().accessToken().value_or(QString());
    if (!token.isEmpty()) {
        fetchUserDetails(urlText, token, {});
    }
}
