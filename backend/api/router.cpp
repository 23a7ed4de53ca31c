#include "router.h"

#include "loginpage.h"
#include "requestbody.h"
#include "secrets.h"

#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

namespace backend {
namespace {

using json = nlohmann::json;

const std::string sessionPrefix = "/plugin-auth/session-request/";
const std::string apiPrefix = "/api/v1";

HttpResponse jsonResponse(int status, const json& body) {
    return {
        status, "application/json", body.dump(-1, ' ', false, json::error_handler_t::replace), {}};
}

HttpResponse error(int status, const std::string& message) {
    return jsonResponse(status, {{"error", message}});
}

HttpResponse html(int status, const std::string& body) {
    return {status,
            "text/html; charset=utf-8",
            body,
            {{"Content-Security-Policy", "default-src 'none'; style-src 'self'; form-action "
                                         "'self'; frame-ancestors 'none'; base-uri 'none'"},
             {"X-Content-Type-Options", "nosniff"},
             {"X-Frame-Options", "DENY"},
             {"Referrer-Policy", "no-referrer"},
             {"Cache-Control", "no-store"}}};
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string percentDecode(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
                   hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::map<std::string, std::string> formFields(const std::string& encoded) {
    std::map<std::string, std::string> fields;
    std::istringstream in(encoded);
    for (std::string pair; std::getline(in, pair, '&');) {
        const std::size_t eq = pair.find('=');
        if (eq != std::string::npos) {
            fields[percentDecode(pair.substr(0, eq))] = percentDecode(pair.substr(eq + 1));
        }
    }
    return fields;
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

} // namespace

Router::Router(Store& store, Authenticator& auth, Engine& engine, const Clock& clock,
               RouterOptions options)
    : store_(store)
    , auth_(auth)
    , engine_(engine)
    , clock_(clock)
    , options_(std::move(options)) {}

std::string Router::logPath(const std::string& target) {
    std::string path = target.substr(0, target.find('?'));
    if (path.rfind(sessionPrefix, 0) == 0 && path.size() > sessionPrefix.size()) {
        return sessionPrefix + ":id";
    }
    return path;
}

HttpResponse Router::handle(const HttpRequest& request) {
    const std::size_t q = request.target.find('?');
    const std::string path = request.target.substr(0, q);
    const std::string query = q == std::string::npos ? "" : request.target.substr(q + 1);
    if (request.method == "GET" && path == "/health") {
        return jsonResponse(200, {{"status", "ok"}});
    }
    if (request.method == "GET" && path.rfind(sessionPrefix, 0) == 0) {
        return sessionRequest(path.substr(sessionPrefix.size()));
    }
    if (path == "/plugin-auth/login") {
        if (request.method == "GET") {
            return loginPage(query);
        }
        if (request.method == "POST") {
            return loginSubmit(request.body);
        }
    }
    if (request.method == "GET" && path == "/plugin-auth/login.css") {
        return {200, "text/css; charset=utf-8", loginpage::stylesheet(), {}};
    }
    // The update check carries no token, so it stays outside the token check.
    if (request.method == "GET" &&
        (path == "/apple-version" || path == apiPrefix + "/apple-version")) {
        return appleVersion(query);
    }
    if (path.rfind(apiPrefix + "/", 0) == 0) {
        return api(path.substr(apiPrefix.size()), request);
    }
    return error(404, "not found");
}

HttpResponse Router::sessionRequest(const std::string& id) {
    if (id.empty()) {
        const std::string created = auth_.createSession();
        return jsonResponse(
            200, {{"id", created},
                  {"access_token", nullptr},
                  {"refresh_token", nullptr},
                  {"login_url", options_.publicUrl + "/plugin-auth/login?session=" + created}});
    }
    const auto result = auth_.poll(id);
    switch (result.state) {
    case Authenticator::PollState::Unknown:
        // Not a session answer, so that the client stops polling a dead session.
        return error(404, "unknown or expired session");
    case Authenticator::PollState::Pending:
        return jsonResponse(200, {{"id", id}, {"access_token", nullptr}});
    case Authenticator::PollState::Issued:
        break;
    }
    return jsonResponse(200, {{"id", id}, {"access_token", result.token}});
}

HttpResponse Router::loginPage(const std::string& query) {
    const auto fields = formFields(query);
    const auto it = fields.find("session");
    if (it == fields.end() || it->second.empty()) {
        return html(400, loginpage::form("", "This sign-in link is incomplete."));
    }
    return html(200, loginpage::form(it->second, ""));
}

HttpResponse Router::loginSubmit(const std::string& body) {
    auto fields = formFields(body);
    const std::string session = fields["session"];
    switch (auth_.login(session, fields["email"], fields["password"])) {
    case Authenticator::LoginResult::SignedIn:
        return html(200, loginpage::done());
    case Authenticator::LoginResult::WrongCredentials:
        return html(401, loginpage::form(session, "Wrong e-mail address or password."));
    case Authenticator::LoginResult::TooManyAttempts:
        return html(429,
                    loginpage::form(session, "Too many attempts. Wait a moment and try again."));
    case Authenticator::LoginResult::SessionExpired:
        break;
    }
    return html(410, loginpage::form(
                         "", "This sign-in link has expired. Start again from the mail window."));
}

HttpResponse Router::appleVersion(const std::string& query) {
    const auto fields = formFields(query);
    const auto current = fields.find("currentVersion");
    if (options_.releaseVersion && options_.releaseUrl &&
        (current == fields.end() || isNewer(*options_.releaseVersion, current->second))) {
        return jsonResponse(200, {{"current_version", *options_.releaseVersion},
                                  {"download_url", *options_.releaseUrl}});
    }
    return jsonResponse(200, json::object());
}

HttpResponse Router::api(const std::string& route, const HttpRequest& request) {
    const auto authorization = request.headers.find("authorization");
    const std::string bearer = "Bearer ";
    std::optional<std::string> email;
    if (authorization != request.headers.end() && authorization->second.rfind(bearer, 0) == 0) {
        email = auth_.accountForToken(authorization->second.substr(bearer.size()));
    }
    if (!email) {
        return error(401, "missing or invalid access token");
    }
    const auto account = store_.account(*email);
    if (!account) {
        return error(401, "account no longer exists");
    }
    if (route == "/me") {
        if (request.method != "GET") {
            return error(405, "method not allowed");
        }
        return jsonResponse(200, {{"email", account->email}, {"name", account->name}});
    }
    if (request.method != "POST") {
        return error(route == "/summarize" || route == "/response" || route == "/chat/start" ||
                             route == "/chat/send" || route == "/create-training-data"
                         ? 405
                         : 404,
                     "method not allowed or unknown route");
    }
    const std::optional<RequestBody> body = RequestBody::parse(request.body);
    if (!body) {
        return error(400, "the body must be a JSON object");
    }
    try {
        if (route == "/summarize") {
            const auto content = body->text("content");
            if (!content)
                return error(400, "member 'content' must be a string");
            return jsonResponse(200, {{"response", engine_.summarize(*content)}});
        }
        if (route == "/response") {
            const auto content = body->text("content");
            if (!content)
                return error(400, "member 'content' must be a string");
            return jsonResponse(200, {{"response", engine_.reply(*content, account->name)}});
        }
        if (route == "/chat/start") {
            const auto content = body->text("email_content");
            if (!content)
                return error(400, "member 'email_content' must be a string");
            const std::string assistant = "asst_" + secrets::randomHex(12);
            const std::string thread = "thread_" + secrets::randomHex(16);
            store_.addChat(thread, assistant, account->email, *content);
            return jsonResponse(200,
                                {{"response", {{"assistantId", assistant}, {"threadId", thread}}}});
        }
        if (route == "/chat/send") {
            const auto assistant = body->text("assistantId");
            const auto thread = body->text("threadId");
            const auto content = body->text("content");
            if (!assistant || !thread || !content) {
                return error(400,
                             "members 'assistantId', 'threadId' and 'content' must be strings");
            }
            const auto mail = store_.chatContent(*thread, *assistant, account->email);
            if (!mail)
                return error(404, "unknown chat");
            std::string answer = engine_.chat(*mail, *content);
            store_.addChatTurn(*thread, *content, answer);
            return jsonResponse(200, {{"response", answer}});
        }
        if (route == "/create-training-data") {
            const auto question = body->text("question");
            const auto answer = body->text("answer");
            if (!question || !answer) {
                return error(400, "members 'question' and 'answer' must be strings");
            }
            store_.addTrainingPair({account->email, *question, *answer, clock_.now()});
            return jsonResponse(200, {{"success", "Training data saved."}});
        }
    } catch (const EngineError& e) {
        return error(502, "engine failed: " + e.message);
    }
    return error(404, "not found");
}

} // namespace backend
