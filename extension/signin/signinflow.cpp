#include "signin/signinflow.h"

#include "api/tokenredaction.h"
#include "signin/sessionresponse.h"
#include "signin/signinwindow.h"
#include "stores/notificationnames.h"
#include "url.h"

#include <atomic>

namespace SignInFlow {
namespace {

const QString sessionRequestPath = QStringLiteral("/plugin-auth/session-request/");

enum class Failure { Transport, NoData, Undecodable };

/// The session an answer carries, or why there is none, once that is logged. A server that
/// is briefly unavailable or busy fails as the transport does, so that polling goes on: the
/// person may be signing in on the page meanwhile.
std::variant<SessionResponse, Failure> readAnswer(const std::optional<QByteArray>& data,
                                                  const std::optional<HTTPURLResponse>& response,
                                                  const std::optional<URLError>& error,
                                                  const QString& parseFailurePrefix) {
    if (error) {
        Log::line("Error making GET request: " + error->description);
        return Failure::Transport;
    }
    if (response && (response->statusCode >= 500 || response->statusCode == 429)) {
        Log::line("Error making GET request: the server answered " +
                  QString::number(response->statusCode));
        return Failure::Transport;
    }
    if (!data) {
        Log::line("No data received");
        return Failure::NoData;
    }
    std::variant<SessionResponse, QString> decoded = decodeSessionResponse(*data);
    if (const auto* reason = std::get_if<QString>(&decoded)) {
        Log::line(parseFailurePrefix + *reason);
        return Failure::Undecodable;
    }
    return std::get<SessionResponse>(std::move(decoded));
}

/// Whether a sign-out (an endpoint change posts one too) or a sign-in came since a chain began.
/// Its session and any token belong to the deployment and the user it began with; and once one
/// chain has signed in, an older page completed later, even in the same round of polls, must
/// not switch the account. Read on the main thread only.
class Chain {
public:
    explicit Chain(const ExtensionServices& services)
        : auth_(services.auth)
        , startedWith_(services.auth.accessToken())
        , signOut_(services.notifications.addObserver(NotificationNames::userDidLogout,
                                                      [ended = ended_] { *ended = true; })) {}
    [[nodiscard]] bool ended() const { return *ended_ || !auth_.stillSignedInWith(startedWith_); }

private:
    const AuthManager& auth_;
    const std::optional<QString> startedWith_;
    // Shared with the handler, which may be running while the last answer drops the chain.
    std::shared_ptr<std::atomic<bool>> ended_ = std::make_shared<std::atomic<bool>>(false);
    std::unique_ptr<NotificationCenter::Observation> signOut_;
};

using AnswerHandler = std::function<void(const std::variant<SessionResponse, Failure>&)>;

/// Sends a plain GET. The answer is read on the network thread, so that a large one costs the
/// GUI thread nothing, and what it gives is handed to the main thread. Windows are looked up
/// only there: a lookup on the network thread could leave that thread holding a window's last
/// reference, and views must be destroyed on the GUI thread.
void get(const ExtensionServices& services, const QUrl& url, const QString& parseFailurePrefix,
         AnswerHandler handle) {
    URLRequest request;
    request.url = url;
    request.cacheable = false; // sign-in answers carry the session's secret and the token
    services.network.dataTask(
        std::move(request),
        [&mainQueue = services.mainQueue, parseFailurePrefix, handle = std::move(handle)](
            const std::optional<QByteArray>& data, const std::optional<HTTPURLResponse>& response,
            const std::optional<URLError>& error) {
            mainQueue.async([handle, read = readAnswer(data, response, error, parseFailurePrefix)] {
                handle(read);
            });
        });
}

void signIn(const ExtensionServices& services, const std::weak_ptr<SignInWindow>& controller,
            const QString& token) {
    Log::line("Access token received: " + redactedToken(token));
    services.auth.setAccessToken(token);
    if (const auto strong = controller.lock()) {
        strong->setIsLoggedIn(true);
    }
    services.mainQueue.async([controller, &notifications = services.notifications] {
        if (const auto strong = controller.lock()) {
            strong->refreshAfterLogin();
        }
        notifications.post(NotificationNames::userDidSignIn);
    });
}

void pollAccessToken(const ExtensionServices& services, std::weak_ptr<SignInWindow> controller,
                     const QString& urlText, std::shared_ptr<const Chain> chain);
void schedulePoll(const ExtensionServices& services, std::shared_ptr<SignInWindow> controller,
                  const QString& urlText, std::shared_ptr<const Chain> chain);

} // namespace

void requestLoginSession(const ExtensionServices& services,
                         std::weak_ptr<SignInWindow> controller) {
    const APIManager& api = services.api;
    Log::line("CURRENT BASE API URL IN API MANAGER", api.baseApiUrl());
    Log::line("URL is:", api.baseApiUrl());
    Log::line("CURRENT BASE API URL IN API MANAGER", api.baseApiUrl());
    const std::optional<QUrl> url = parseUrl(api.baseApiUrl() + sessionRequestPath);
    if (!url) {
        Log::line("Invalid URL");
        return;
    }
    auto chain = std::make_shared<const Chain>(services);
    get(services, *url, QStringLiteral("Error parsing JSON response: "),
        [services, controller = std::move(controller), chain = std::move(chain)](const auto& read) {
            if (chain->ended()) {
                return;
            }
            const auto* session = std::get_if<SessionResponse>(&read);
            if (session == nullptr || !session->loginUrl) {
                return;
            }
            services.mainQueue.async(
                [services, loginUrl = *session->loginUrl] { openLoginURL(services, loginUrl); });
            Log::line("BASE URL IN LOGIN FUNCTION IS:", services.api.baseApiUrl());
            // Still the session's deployment: a change would have ended the chain.
            const QString pollUrl = services.api.baseApiUrl() + sessionRequestPath + session->id;
            if (!controller.expired()) {
                pollAccessToken(services, controller, pollUrl, chain);
            }
        });
}

void openLoginURL(const ExtensionServices& services, const QString& text) {
    if (const std::optional<QUrl> url = parseUrl(text)) {
        (void)services.workspace.open(*url); // a page that does not open is silent
    }
}

namespace {

void pollAccessToken(const ExtensionServices& services, std::weak_ptr<SignInWindow> controller,
                     const QString& urlText, std::shared_ptr<const Chain> chain) {
    if (chain->ended()) {
        return;
    }
    const std::optional<QUrl> url = parseUrl(urlText);
    if (!url) {
        Log::line("Invalid URL");
        return;
    }
    get(services, *url, QStringLiteral("Error parsing access token JSON response: "),
        [services, controller = std::move(controller), urlText,
         chain = std::move(chain)](const auto& read) {
            if (chain->ended()) {
                return;
            }
            if (const auto* session = std::get_if<SessionResponse>(&read)) {
                if (session->accessToken) {
                    signIn(services, controller, *session->accessToken);
                    return;
                }
                Log::line("Access token is null. Continuing request...");
            } else if (std::get<Failure>(read) == Failure::Undecodable) {
                return;
            }
            if (auto strong = controller.lock()) {
                schedulePoll(services, std::move(strong), urlText, chain);
            }
        });
}

void schedulePoll(const ExtensionServices& services, std::shared_ptr<SignInWindow> controller,
                  const QString& urlText, std::shared_ptr<const Chain> chain) {
    services.mainQueue.asyncAfter(pollInterval, [services, controller = std::move(controller),
                                                 urlText, chain = std::move(chain)] {
        pollAccessToken(services, controller, urlText, chain);
    });
}

} // namespace

} // namespace SignInFlow
