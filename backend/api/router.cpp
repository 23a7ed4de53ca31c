#include "router.h"

#include "addressblock.h"
#include "formfields.h"
#include "loginpage.h"
#include "requestbody.h"
#include "secretmemory.h"
#include "secrets.h"
#include "signinthrottle.h"
#include "stricttransport.h"
#include "typedaddress.h"

#include <algorithm>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>

namespace backend {
namespace {

using json = nlohmann::json;

const std::string sessionPrefix = "/plugin-auth/session-request/";
const std::string signedInPath = "/plugin-auth/signed-in";

HttpResponse jsonResponse(int status, const json& body) {
    return {
        status, "application/json", body.dump(-1, ' ', false, json::error_handler_t::replace), {}};
}

HttpResponse error(int status, const std::string& message) {
    HttpResponse response = jsonResponse(status, {{"error", message}});
    // Refused requests end their connection, so that a guesser pays a handshake a guess.
    response.closes = status == 400 || status == 401;
    return response;
}

HttpResponse busy(const std::string& message, std::chrono::seconds retryAfter = {}) {
    HttpResponse response = error(503, message);
    response.headers.emplace_back("Retry-After",
                                  std::to_string(std::max<std::int64_t>(retryAfter.count(), 1)));
    return response;
}

// In the browser's language, as far as the pages speak it.
const loginpage::Texts& pageTexts(const HttpRequest& request) {
    const auto accepted = request.headers.find("accept-language");
    return loginpage::textsFor(accepted == request.headers.end() ? "" : accepted->second);
}

HttpResponse html(int status, const std::string& body) {
    return {status,
            "text/html; charset=utf-8",
            body,
            {{"Content-Security-Policy", "default-src 'none'; style-src 'self'; form-action "
                                         "'self'; frame-ancestors 'none'; base-uri 'none'"},
             {"X-Content-Type-Options", "nosniff"},
             {"X-Frame-Options", "DENY"},
             // Under "no-referrer" a browser posts the form with `Origin: null`, which the
             // sign-in listener cannot tell from another site's.
             {"Referrer-Policy", "same-origin"},
             {"Cache-Control", "no-store"}}};
}

// Compares dotted version texts numerically, part by part.
bool isNewer(const std::string& candidate, const std::string& current) {
    std::istringstream a(candidate), b(current);
    std::string x, y;
    while (true) {
        const bool hasX = static_cast<bool>(std::getline(a, x, '.'));
        const bool hasY = static_cast<bool>(std::getline(b, y, '.'));
        if (!hasX && !hasY) {
            return false;
        }
        const long vx = hasX ? std::strtol(x.c_str(), nullptr, 10) : 0;
        const long vy = hasY ? std::strtol(y.c_str(), nullptr, 10) : 0;
        if (vx != vy) {
            return vx > vy;
        }
    }
}

// The members of a JSON body that a route needs as texts; nothing when one is missing.
template <std::size_t N>
std::optional<std::array<std::string, N>> texts(const std::string& body,
                                                const std::array<const char*, N>& names) {
    const std::optional<RequestBody> parsed = RequestBody::parse(body);
    if (!parsed) {
        return std::nullopt;
    }
    std::array<std::string, N> values;
    for (std::size_t i = 0; i < N; ++i) {
        auto value = parsed->text(names[i]);
        if (!value) {
            return std::nullopt;
        }
        values[i] = std::move(*value);
    }
    return values;
}

// PostgreSQL's text holds no NUL character and libpq would cut a text at one, so no store is
// given one: both answer alike, and nothing is kept in part.
template <std::size_t N> bool holdsNul(const std::array<std::string, N>& values) {
    return std::ranges::any_of(
        values, [](const std::string& v) { return v.find('\0') != std::string::npos; });
}

const std::string nulError = "texts the server keeps cannot contain NUL characters";

std::string membersError(std::initializer_list<const char*> names) {
    std::string list;
    for (const char* name : names) {
        list += (list.empty() ? "" : ", ") + std::string("'") + name + "'";
    }
    return "the body must be a JSON object with the text members " + list;
}

} // namespace

Router::Router(Store& store, Authenticator& auth, Engine& engine, const Clock& clock,
               RouterThreads threads, RouterOptions options, Log log)
    : store_(store)
    , auth_(auth)
    , engine_(engine)
    , clock_(clock)
    , threads_(threads)
    , options_(std::move(options))
    , log_(std::move(log))
    , sessionStarts_(options_.sessionsPerMinute)
    , strictTransport_(strictTransportSecurity(options_.publicUrl)) {}

const std::vector<Router::Route>& Router::routes() {
    using M = Route::Match;
    using A = Route::Access;
    using R = Route::Runs;
    constexpr Surface all = Surface::All;
    constexpr Surface login = Surface::LoginPage;
    static const std::vector<Route> table = {
        {"GET", "/health", M::Exact, A::Public, R::Workers, all, &Router::health},
        {"GET", sessionPrefix, M::Prefix, A::Public, R::Workers, all, &Router::sessionRequest},
        {"GET", "/plugin-auth/login", M::Exact, A::Public, R::Workers, login, &Router::loginPage},
        {"POST", "/plugin-auth/login", M::Exact, A::Public, R::Hashing, login,
         &Router::loginSubmit},
        {"GET", "/plugin-auth/login.css", M::Exact, A::Public, R::Workers, login,
         &Router::stylesheet},
        {"GET", signedInPath, M::Exact, A::Public, R::Workers, login, &Router::signedInPage},
        // The update check carries no token.
        {"GET", "/apple-version", M::Exact, A::Public, R::Workers, all, &Router::appleVersion},
        {"GET", "/api/v1/apple-version", M::Exact, A::Public, R::Workers, all,
         &Router::appleVersion},
        {"GET", "/api/v1/me", M::Exact, A::Token, R::Workers, all, &Router::me},
        {"POST", "/api/v1/summarize", M::Exact, A::Token, R::Workers, all, &Router::summarize},
        {"POST", "/api/v1/response", M::Exact, A::Token, R::Workers, all, &Router::response},
        {"POST", "/api/v1/chat/start", M::Exact, A::Token, R::Workers, all, &Router::chatStart},
        {"POST", "/api/v1/chat/send", M::Exact, A::Token, R::Workers, all, &Router::chatSend},
        {"POST", "/api/v1/create-training-data", M::Exact, A::Token, R::Workers, all,
         &Router::trainingData},
    };
    return table;
}

std::string Router::logPath(const std::string& target) {
    std::string path = target.substr(0, target.find('?'));
    if (path.starts_with(sessionPrefix) && path.size() > sessionPrefix.size()) {
        return sessionPrefix + ":id";
    }
    return path;
}

void Router::handle(HttpRequest request, Respond respond, Surface surface) {
    const std::size_t q = request.target.find('?');
    auto call = std::make_shared<Call>();
    call->path = request.target.substr(0, q);
    call->query = q == std::string::npos ? "" : request.target.substr(q + 1);
    const Route* found = nullptr;
    std::string allowed;
    for (const Route& route : routes()) {
        const bool matches = route.match == Route::Match::Exact
                                 ? call->path == route.path
                                 : call->path.starts_with(route.path);
        if (!matches || (surface == Surface::LoginPage && route.surface != Surface::LoginPage)) {
            continue;
        }
        if (route.method == request.method) {
            found = &route;
            break;
        }
        allowed += (allowed.empty() ? "" : ", ") + std::string(route.method);
    }
    if (!found) {
        if (allowed.empty()) {
            return respond(error(404, "not found"));
        }
        HttpResponse refused = error(405, "method not allowed");
        refused.headers.emplace_back("Allow", allowed);
        return respond(refused);
    }
    call->request = std::move(request);
    call->respond = std::move(respond);
    if (strictTransport_ && surface == Surface::All && found->surface == Surface::LoginPage) {
        call->respond = [respond = std::move(call->respond),
                         value = *strictTransport_](HttpResponse answer) {
            answer.headers.emplace_back("Strict-Transport-Security", value);
            respond(std::move(answer));
        };
    }
    auto job = [this, found, call] { guarded(call->respond, [&] { run(*found, *call); }); };
    const bool queued =
        found->runs == Route::Runs::Hashing
            ? threads_.hashing.tryPost(addressBlock(call->request.clientAddress), std::move(job))
            : threads_.workers.tryPost(std::move(job));
    if (!queued) {
        call->respond(busy("the server is busy; try again shortly"));
    }
}

void Router::admitLargeBody(const HttpRequest& head, Admit admit) {
    const Respond refuse = [admit](HttpResponse refusal) { admit(std::move(refusal)); };
    const bool queued = threads_.workers.tryPost([this, head, admit, refuse] {
        guarded(refuse, [&] {
            auto account = signedIn(head);
            auto* refusal = std::get_if<HttpResponse>(&account);
            admit(refusal ? std::optional(std::move(*refusal)) : std::nullopt);
        });
    });
    if (!queued) {
        refuse(busy("the server is busy; try again shortly"));
    }
}

std::variant<Account, HttpResponse> Router::signedIn(const HttpRequest& request) {
    const auto authorization = request.headers.find("authorization");
    const std::string bearer = "Bearer ";
    std::optional<std::string> email;
    if (authorization != request.headers.end() && authorization->second.starts_with(bearer)) {
        email = auth_.accountForToken(authorization->second.substr(bearer.size()));
    }
    if (!email) {
        return error(401, "missing or invalid access token");
    }
    std::optional<Account> account = store_.account(*email);
    if (!account) {
        return error(401, "account no longer exists");
    }
    return std::move(*account);
}

void Router::run(const Route& route, Call& call) {
    if (route.access == Route::Access::Token) {
        auto account = signedIn(call.request);
        if (auto* refusal = std::get_if<HttpResponse>(&account)) {
            return call.respond(std::move(*refusal));
        }
        call.account = std::get<Account>(std::move(account));
    }
    // A sign-in form holds a password, and the answer no longer needs it.
    std::optional<CleansedOnExit> form;
    const auto type = call.request.headers.find("content-type");
    if (type != call.request.headers.end() &&
        type->second.starts_with("application/x-www-form-urlencoded")) {
        form.emplace(call.request.body);
    }
    (this->*route.handler)(call);
}

void Router::guarded(const Respond& respond, const std::function<void()>& work) {
    try {
        work();
    } catch (const StoreUnavailable& e) {
        log_(std::string("store unavailable: ") + e.what());
        respond(busy("the database is unavailable; try again shortly"));
    } catch (const std::exception& e) {
        log_(std::string("internal error: ") + e.what());
        respond(error(500, "internal error"));
    } catch (...) {
        log_("internal error: an exception of unknown type");
        respond(error(500, "internal error"));
    }
}

bool Router::chargeStorage(const Call& call, std::size_t bytes) {
    const std::int64_t now = clock_.now();
    if (store_.chargeStorage(call.account->email, now, static_cast<std::int64_t>(bytes),
                             options_.storedBytesPerDay)) {
        return true;
    }
    log_("daily storage used up by " + call.account->email);
    HttpResponse refusal = error(429, "this account's storage for today is used up");
    const std::int64_t nextDay = (now / storageDay + 1) * storageDay;
    refusal.headers.emplace_back("Retry-After", std::to_string(nextDay - now));
    call.respond(std::move(refusal));
    return false;
}

Engine::Done Router::onEngine(Respond respond, std::function<HttpResponse(std::string)> done) {
    return [this, respond = std::move(respond), done = std::move(done)](EngineResult result) {
        // A remote engine completes on an I/O thread, which must not wait on the store.
        threads_.workers.post([this, respond, done, result = std::move(result)]() mutable {
            guarded(respond, [&] {
                if (auto* text = std::get_if<std::string>(&result)) {
                    return respond(done(std::move(*text)));
                }
                const auto& failure = std::get<EngineError>(result);
                respond(failure.kind() == EngineError::Kind::Busy
                            ? busy(failure.what(), failure.retryAfter())
                            : error(502, std::string("engine failed: ") + failure.what()));
            });
        });
    };
}

void Router::health(Call& call) {
    call.respond(jsonResponse(200, {{"status", "ok"}}));
}

void Router::sessionRequest(Call& call) {
    const std::string id = call.path.substr(sessionPrefix.size());
    if (id.empty()) {
        if (const std::int64_t wait =
                sessionStarts_.take(addressBlock(call.request.clientAddress), clock_.now());
            wait > 0) {
            HttpResponse refused = error(429, "too many sign-in requests; try again shortly");
            refused.headers.emplace_back("Retry-After", std::to_string(wait));
            return call.respond(refused);
        }
        const auto created = auth_.createSession();
        const std::string login = options_.loginUrl.value_or(options_.publicUrl);
        return call.respond(jsonResponse(
            200, {{"id", created.id},
                  {"access_token", nullptr},
                  {"refresh_token", nullptr},
                  {"login_url", login + "/plugin-auth/login?code=" + created.loginCode}}));
    }
    const auto result = auth_.poll(id);
    switch (result.state) {
    case Authenticator::PollState::Unknown:
        // Not a session answer, so that the client stops polling a dead session.
        return call.respond(error(404, "unknown or expired session"));
    case Authenticator::PollState::Pending:
        return call.respond(jsonResponse(200, {{"id", id}, {"access_token", nullptr}}));
    case Authenticator::PollState::Issued:
        break;
    }
    call.respond(jsonResponse(200, {{"id", id}, {"access_token", result.token}}));
}

void Router::loginPage(Call& call) {
    const loginpage::Texts& texts = pageTexts(call.request);
    const auto fields = formFields(call.query);
    const auto code = fields.find("code");
    if (code == fields.end() || code->second.empty()) {
        return call.respond(html(400, loginpage::notice(texts, texts.incompleteLink)));
    }
    const auto requestedAt = auth_.loginRequestedAt(code->second);
    if (!requestedAt) {
        return call.respond(html(410, loginpage::notice(texts, texts.expiredLink)));
    }
    call.respond(html(200, loginpage::form(texts, code->second, *requestedAt, "")));
}

void Router::loginSubmit(Call& call) {
    auto fields = formFields(call.request.body);
    // The page's text field keeps the spaces a phone keyboard or a paste adds around an address.
    std::string& email = fields["email"];
    email = typedAddress(email);
    const std::string code = fields["code"];
    const loginpage::Texts& texts = pageTexts(call.request);
    const auto again = [&](int status, const std::string& notice) {
        // The session may have ended since the check; the page then says so.
        const auto requestedAt = auth_.loginRequestedAt(code);
        call.respond(requestedAt
                         ? html(status, loginpage::form(texts, code, *requestedAt, notice, email))
                         : html(410, loginpage::notice(texts, texts.expiredLink)));
    };
    const std::string& address = call.request.clientAddress;
    // One line per failure for whoever watches for guessing: never the password or the code.
    // The account as the throttle counts it, so that guesses in other letter cases group.
    const auto failed = [&](const std::string& why) {
        log_("sign-in failed from " + address + " account " +
             secrets::sha256Hex(SignInThrottle::account(email)).substr(0, 16) + ": " + why);
    };
    const CleansedOnExit password(fields["password"]);
    const auto result = auth_.login(code, email, fields["password"], address);
    switch (result) {
    case Authenticator::LoginResult::SignedIn: {
        // To a page of its own, so that reloading it does not post the used link again and
        // answer that it has expired.
        HttpResponse signedIn = html(303, "");
        signedIn.headers.emplace_back("Location", signedInPath);
        return call.respond(std::move(signedIn));
    }
    case Authenticator::LoginResult::WrongCredentials:
        failed("wrong e-mail address or password");
        return again(401, texts.wrongCredentials);
    case Authenticator::LoginResult::TooManyAttempts:
        failed("too many attempts");
        return again(429, texts.tooManyAttempts);
    case Authenticator::LoginResult::SessionExpired:
        break;
    }
    call.respond(html(410, loginpage::notice(texts, texts.expiredLink)));
}

void Router::signedInPage(Call& call) {
    call.respond(html(200, loginpage::done(pageTexts(call.request))));
}

void Router::stylesheet(Call& call) {
    call.respond({200, "text/css; charset=utf-8", loginpage::stylesheet(), {}});
}

void Router::appleVersion(Call& call) {
    const auto fields = formFields(call.query);
    const auto current = fields.find("currentVersion");
    if (options_.releaseVersion && options_.releaseUrl &&
        (current == fields.end() || isNewer(*options_.releaseVersion, current->second))) {
        return call.respond(jsonResponse(200, {{"current_version", *options_.releaseVersion},
                                               {"download_url", *options_.releaseUrl}}));
    }
    call.respond(jsonResponse(200, json::object()));
}

void Router::me(Call& call) {
    call.respond(jsonResponse(200, {{"email", call.account->email}, {"name", call.account->name}}));
}

void Router::summarize(Call& call) {
    const auto body = texts<1>(call.request.body, {"content"});
    if (!body) {
        return call.respond(error(400, membersError({"content"})));
    }
    engine_.summarize((*body)[0], onEngine(call.respond, [](std::string text) {
                          return jsonResponse(200, {{"response", std::move(text)}});
                      }));
}

void Router::response(Call& call) {
    const auto body = texts<1>(call.request.body, {"content"});
    if (!body) {
        return call.respond(error(400, membersError({"content"})));
    }
    engine_.reply((*body)[0], call.account->name, onEngine(call.respond, [](std::string text) {
                      return jsonResponse(200, {{"response", std::move(text)}});
                  }));
}

void Router::chatStart(Call& call) {
    const auto body = texts<1>(call.request.body, {"email_content"});
    if (!body) {
        return call.respond(error(400, membersError({"email_content"})));
    }
    if (holdsNul(*body)) {
        return call.respond(error(400, nulError));
    }
    if (!chargeStorage(call, (*body)[0].size())) {
        return;
    }
    const std::string assistant = "asst_" + secrets::randomHex(12);
    const std::string thread = "thread_" + secrets::randomHex(16);
    store_.addChat(thread, assistant, call.account->email, (*body)[0]);
    call.respond(
        jsonResponse(200, {{"response", {{"assistantId", assistant}, {"threadId", thread}}}}));
}

void Router::chatSend(Call& call) {
    const auto body = texts<3>(call.request.body, {"assistantId", "threadId", "content"});
    if (!body) {
        return call.respond(error(400, membersError({"assistantId", "threadId", "content"})));
    }
    if (holdsNul(*body)) {
        return call.respond(error(400, nulError));
    }
    const auto& [assistant, thread, question] = *body;
    const auto mail = store_.chatContent(thread, assistant, call.account->email);
    if (!mail) {
        return call.respond(error(404, "unknown chat"));
    }
    // The answer is the engine's, and short; the question is what a client could grow.
    if (!chargeStorage(call, question.size())) {
        return;
    }
    engine_.chat(
        *mail, question,
        onEngine(call.respond, [this, threadId = thread, asked = question](std::string answer) {
            store_.addChatTurn(threadId, asked, answer);
            return jsonResponse(200, {{"response", std::move(answer)}});
        }));
}

void Router::trainingData(Call& call) {
    const auto body = texts<2>(call.request.body, {"question", "answer"});
    if (!body) {
        return call.respond(error(400, membersError({"question", "answer"})));
    }
    if (holdsNul(*body)) {
        return call.respond(error(400, nulError));
    }
    if (!chargeStorage(call, (*body)[0].size() + (*body)[1].size())) {
        return;
    }
    store_.addTrainingPair({call.account->email, (*body)[0], (*body)[1], clock_.now()});
    call.respond(jsonResponse(200, {{"success", "Training data saved."}}));
}

} // namespace backend
