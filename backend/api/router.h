#pragma once

#include "authenticator.h"
#include "engine.h"
#include "fairworkpool.h"
#include "httpmessage.h"
#include "ratelimit.h"
#include "store.h"
#include "workpool.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace backend {

/// What the router offers besides its services: where it is reached and the newest release.
struct RouterOptions {
    std::string publicUrl;
    /// Where the browser opens the sign-in page, when a loopback listener serves it apart.
    std::optional<std::string> loginUrl;
    std::optional<std::string> releaseVersion;
    std::optional<std::string> releaseUrl;
    /// Each new session costs a disk sync, so one client address may start only this many a
    /// minute.
    std::size_t sessionsPerMinute = 30;
    /// Bytes of mail, questions and training pairs one account may have stored in a day (UTC),
    /// so that one client cannot fill the disk that every account writes to.
    std::int64_t storedBytesPerDay = std::int64_t{256} << 20;
};

/// Where the router's work runs: CPU work on `workers`; password checks, slow by design, on
/// `hashing`, so that a burst of sign-ins cannot hold up the API; keyed by client address, so
/// that one address's burst cannot hold up everyone else's sign-in either.
struct RouterThreads {
    WorkPool& workers;
    FairWorkPool& hashing;
};

/// Maps requests to the sign-in pages and the API routes.
class Router {
public:
    using Log = std::function<void(const std::string&)>;

    Router(Store& store, Authenticator& auth, Engine& engine, const Clock& clock,
           RouterThreads threads, RouterOptions options, Log log);

    /// Which routes a listener offers: all of them, or only the sign-in page.
    enum class Surface { All, LoginPage };
    /// Answers through `respond`, from a worker thread; never blocks the caller.
    void handle(HttpRequest request, Respond respond, Surface surface = Surface::All);
    /// Whether a request may send a body past the ordinary limit, asked before it is read: only
    /// a signed-in client may, so that no one else can hold the server's room for such bodies.
    /// Refuses as the routes refuse the request's token; answers through `admit` from a worker
    /// thread and never blocks the caller.
    void admitLargeBody(const HttpRequest& head, Admit admit);
    /// The request's path for the access log, with session ids and queries left out.
    [[nodiscard]] static std::string logPath(const std::string& target);

private:
    struct Call {
        HttpRequest request;
        std::string path;
        std::string query;
        std::optional<Account> account;
        Respond respond;
    };
    struct Route {
        std::string_view method;
        std::string_view path;
        enum class Match { Exact, Prefix } match;
        enum class Access { Public, Token } access;
        enum class Runs { Workers, Hashing } runs;
        Surface surface;
        void (Router::*handler)(Call&);
    };
    static const std::vector<Route>& routes();

    void run(const Route& route, Call& call);
    /// The account the request's bearer token signs in, or the refusal when there is none.
    std::variant<Account, HttpResponse> signedIn(const HttpRequest& request);
    /// Calls `done` with the engine's text on a worker thread, or answers the engine's failure.
    Engine::Done onEngine(Respond respond, std::function<HttpResponse(std::string)> done);
    void guarded(const Respond& respond, const std::function<void()>& work);
    /// Counts `bytes` against the account's storage for today; false, having answered 429,
    /// when they would pass it.
    bool chargeStorage(const Call& call, std::size_t bytes);

    void health(Call& call);
    void sessionRequest(Call& call);
    void loginPage(Call& call);
    void loginSubmit(Call& call);
    void signedInPage(Call& call);
    void stylesheet(Call& call);
    void appleVersion(Call& call);
    void me(Call& call);
    void summarize(Call& call);
    void response(Call& call);
    void chatStart(Call& call);
    void chatSend(Call& call);
    void trainingData(Call& call);

    Store& store_;
    Authenticator& auth_;
    Engine& engine_;
    const Clock& clock_;
    RouterThreads threads_;
    RouterOptions options_;
    Log log_;
    RateLimit sessionStarts_;
    std::optional<std::string> strictTransport_;
};

} // namespace backend
