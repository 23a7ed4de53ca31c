#pragma once

#include "generateresponsebody.h"
#include "summarizerequestbody.h"

#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

class UserDetailsManager;

/// The backend client: every request but sign-in. Completions run on the network thread
/// unless said otherwise; callers move their work to the main thread themselves.
class HandleApiRequests {
public:
    /// (message identifier, summary); both absent on failure.
    using SummarizeCompletion = std::function<void(std::optional<QString>, std::optional<QString>)>;
    /// (message identifier, reply, error text): the first two on success, the last on failure.
    using GenerateResponseCompletion =
        std::function<void(std::optional<QString>, std::optional<QString>, std::optional<QString>)>;
    /// Runs on the main thread after the store was updated, only on success.
    using UserDetailsCompletion = std::function<void(UserDetailsManager&)>;

    HandleApiRequests() = delete;

    /// Checks the sign-in with a user-details request, then asks for a summary, retrying a
    /// failed send up to three times 2.0 s apart. Never completes when the check fails.
    static void summarize(const QUrl& url, const QString& accessToken, SummarizeRequestBody body,
                          const QString& messageId, SummarizeCompletion completion);

    /// Asks once for a reply; completes exactly once.
    static void generateResponse(const QUrl& url, const QString& accessToken,
                                 const GenerateResponseBody& body, const QString& messageId,
                                 GenerateResponseCompletion completion);

    /// Fetches who holds the token into UserDetailsManager::shared().
    static void fetchUserDetails(const QString& urlText, const QString& accessToken,
                                 UserDetailsCompletion completion);

    /// The fetch that ends the start of every compose session; none while signed out.
    static void fetchUserDetailsAtSessionStart();
};
