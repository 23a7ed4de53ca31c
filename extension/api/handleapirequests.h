#pragma once

#include "api/apiresult.h"
#include "api/chatbodies.h"
#include "api/generateresponsebody.h"
#include "api/summarizerequestbody.h"
#include "api/trainingdatabody.h"
#include "api/userdetails.h"
#include "api/versionoffer.h"
#include "stores/extensionservices.h"
#include "stores/summarizedresponse.h"

#include <QString>
#include <QUrl>
#include <functional>

/// A reply filed under the message it answers.
struct GeneratedResponse {
    QString messageId;
    QString response;
};

/// The backend client: every request but sign-in. Every operation completes exactly once, on
/// the main thread, with its value or an ApiError, after any log lines of its failure. The
/// operations write no store; their callers do. Made where it is used: it holds only the two
/// services, which outlive every request.
class HandleApiRequests {
public:
    HandleApiRequests(URLSession& network, MainQueue& mainQueue)
        : network_(network)
        , mainQueue_(mainQueue) {}
    explicit HandleApiRequests(const ExtensionServices& services)
        : HandleApiRequests(services.network, services.mainQueue) {}

    /// Checks the sign-in with a user-details request to `userDetailsUrl`, hands the details to
    /// `signedIn`, then asks for a summary, retrying a failed send up to three times 2.0 s apart.
    /// A failed check completes with Detail::userCheckFailed and sends nothing; a last failed
    /// retry completes with Detail::retriesExhausted. Before each send `stillSignedIn`, when
    /// given, says whether the token may still be used; if not, the call completes with
    /// Detail::signedOut and neither the details nor the summary go further.
    void summarize(const QUrl& url, const QString& userDetailsUrl, const QString& accessToken,
                   SummarizeRequestBody body, const QString& messageId,
                   std::function<void(const UserDetails&)> signedIn,
                   std::function<bool()> stillSignedIn,
                   ApiCompletion<SummarizedResponse> completion) const;

    /// Asks once for a reply; a failure's message is the text the panel shows.
    void generateResponse(const QUrl& url, const QString& accessToken,
                          const GenerateResponseBody& body, const QString& messageId,
                          ApiCompletion<GeneratedResponse> completion) const;

    /// Asks who holds the token.
    void fetchUserDetails(const QString& urlText, const QString& accessToken,
                          ApiCompletion<UserDetails> completion) const;

    /// Opens a backend chat about a message.
    void startChat(const QUrl& url, const QString& accessToken, const ChatStartBody& body,
                   ApiCompletion<ChatStartResponse> completion) const;
    /// Sends one message into a started chat.
    void sendChatMessage(const QUrl& url, const QString& accessToken, const ChatBody& body,
                         ApiCompletion<ChatResponse> completion) const;

    /// Offers a question and answer pair as training data; the value is the server's "success"
    /// text.
    void submitTrainingData(const QUrl& url, const QString& accessToken,
                            const TrainingDataBody& body, ApiCompletion<QString> completion) const;

    /// Asks whether a newer release exists.
    void checkForNewVersion(const QString& urlText, const QString& currentVersion,
                            ApiCompletion<VersionOffer> completion) const;

private:
    URLSession& network_;
    MainQueue& mainQueue_;
};
