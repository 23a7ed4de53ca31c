#pragma once

#include "api/apierror.h"
#include "api/chatbodies.h"
#include "api/generateresponsebody.h"
#include "api/summarizerequestbody.h"
#include "api/trainingdatabody.h"

#include <QString>
#include <QUrl>
#include <functional>
#include <optional>
#include <variant>

class UserDetailsManager;

/// The answer of a chat operation, or why there is none.
template <typename Response> using ApiResult = std::variant<Response, ApiError>;

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
    using ChatStartCompletion = std::function<void(ApiResult<ChatStartResponse>)>;
    using ChatCompletion = std::function<void(ApiResult<ChatResponse>)>;
    /// Gets the server's "success" text; runs only on success.
    using TrainingDataCompletion = std::function<void(QString)>;

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

    /// Opens a backend chat about a message. Completes once, except for a 2xx answer
    /// without a body, which ends silently.
    static void startChat(const QUrl& url, const QString& accessToken, const ChatStartBody& body,
                          ChatStartCompletion completion);
    /// Sends one message into a started chat; completes like `startChat`.
    static void sendChatMessage(const QUrl& url, const QString& accessToken, const ChatBody& body,
                                ChatCompletion completion);

    /// Offers a question and answer pair as training data; failures are only logged.
    static void submitTrainingData(const QUrl& url, const QString& accessToken,
                                   const TrainingDataBody& body, TrainingDataCompletion completion);

    /// Asks whether a newer release exists; the answer goes to IncommingUpdatesManager on the
    /// main thread.
    static void checkForNewVersion(const QString& urlText, const QString& currentVersion);
};
