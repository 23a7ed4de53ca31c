#include "backendworld.h"
#include "backoff.h"
#include "formfields.h"

#include <future>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace backend;
using nlohmann::json;

namespace {

class RouterTest : public testing::Test, protected BackendWorld {
protected:
    RouterTest()
        : BackendWorld(nullptr, RouterOptions{"https://127.0.0.1:1", std::nullopt, "1.2.0",
                                              "https://example.org/dl"}) {}

    std::string token = signIn();

    HttpResponse send(const std::string& method, const std::string& target, const std::string& body,
                      const std::string& bearer, const std::string& from = "192.0.2.1") {
        HttpRequest r{method, target, {}, body, from};
        if (!bearer.empty())
            r.headers["authorization"] = "Bearer " + bearer;
        return call(r);
    }
    HttpResponse get(const std::string& target, const std::string& bearer = "") {
        return send("GET", target, "", bearer);
    }
    HttpResponse post(const std::string& target, const std::string& body,
                      const std::string& bearer) {
        return send("POST", target, body, bearer);
    }
};

TEST_F(RouterTest, EveryApiRouteNeedsAValidToken) {
    const std::vector<std::pair<std::string, json>> routes = {
        {"/api/v1/summarize", {{"content", "A b."}, {"email", "x"}}},
        {"/api/v1/response", {{"messageId", ""}, {"content", "A b?"}, {"email", "x"}}},
        {"/api/v1/chat/start", {{"email", "x"}, {"email_content", "A b."}}},
        {"/api/v1/create-training-data", {{"email", "x"}, {"question", "q"}, {"answer", "a"}}}};
    for (const auto& [path, body] : routes) {
        EXPECT_EQ(post(path, body.dump(), "").status, 401) << path;
        EXPECT_EQ(post(path, body.dump(), "nope").status, 401) << path;
        const auto ok = post(path, body.dump(), token);
        EXPECT_EQ(ok.status, 200) << path;
        const json answer = json::parse(ok.body);
        EXPECT_TRUE(answer.contains(path.ends_with("training-data") ? "success" : "response"))
            << path;
    }
    EXPECT_EQ(get("/api/v1/me").status, 401);
    const json me = json::parse(get("/api/v1/me", token).body);
    EXPECT_EQ(me["email"], "ann@example.org");
    EXPECT_EQ(me["name"], "Ann Lee");
}

TEST_F(RouterTest, VersionCheckOffersOnlyNewerReleasesWithoutToken) {
    for (const std::string base : {"/apple-version", "/api/v1/apple-version"}) {
        const json older = json::parse(get(base + "?currentVersion=1.0.0").body);
        EXPECT_EQ(older["download_url"], "https://example.org/dl");
        EXPECT_EQ(older["current_version"], "1.2.0");
        EXPECT_EQ(json::parse(get(base + "?currentVersion=1.10").body), json::object());
    }
}

TEST_F(RouterTest, AccessLogPathHidesSessionIdsAndQueries) {
    EXPECT_EQ(Router::logPath("/plugin-auth/session-request/abc"),
              "/plugin-auth/session-request/:id");
    EXPECT_EQ(Router::logPath("/plugin-auth/login?session=abc"), "/plugin-auth/login");
    EXPECT_EQ(Router::logPath("/plugin-auth/session-request/"), "/plugin-auth/session-request/");
}

TEST_F(RouterTest, LoginPageIsStrictAndEscapes) {
    const auto page = get("/plugin-auth/login?session=%3Cscript%3E");
    EXPECT_EQ(page.status, 200);
    EXPECT_EQ(page.body.find("<script>"), std::string::npos);
    bool hasCsp = false;
    for (const auto& [name, value] : page.headers) {
        hasCsp |= name == "Content-Security-Policy" && value.find("default-src 'none'") == 0;
    }
    EXPECT_TRUE(hasCsp);
}

TEST(FormFields, DecodeLikeABrowserAndRefuseBrokenEscapes) {
    using Fields = std::map<std::string, std::string>;
    const std::vector<std::pair<std::string, Fields>> cases = {
        {"email=ann%40example.org&password=a+b%2Bc",
         {{"email", "ann@example.org"}, {"password", "a b+c"}}},
        {"x=1&x=2&flag&empty=", {{"x", "2"}, {"empty", ""}}},
        {"na%C3%AFve=%E2%9C%93", {{"na\xC3\xAFve", "\xE2\x9C\x93"}}},
        {"session=abc&password=100%", {}},
        {"session=%zz", {}},
        {"", {}}};
    for (const auto& [encoded, expected] : cases) {
        EXPECT_EQ(formFields(encoded), expected) << encoded;
    }
}

TEST_F(RouterTest, RouteTableAnswersUnknownPathsAndMethods) {
    struct Case {
        std::string method;
        std::string target;
        Router::Surface surface;
        int status;
        std::string allow;
    };
    using S = Router::Surface;
    const std::vector<Case> cases = {
        {"GET", "/nowhere", S::All, 404, ""},
        {"GET", "/api/v1/unknown", S::All, 404, ""},
        {"PUT", "/plugin-auth/login", S::All, 405, "GET, POST"},
        {"POST", "/api/v1/me", S::All, 405, "GET"},
        {"GET", "/api/v1/summarize", S::All, 405, "POST"},
        {"DELETE", "/health", S::All, 405, "GET"},
        {"GET", "/plugin-auth/login?session=abc", S::LoginPage, 200, ""},
        {"GET", "/plugin-auth/login.css", S::LoginPage, 200, ""},
        {"GET", "/api/v1/me", S::LoginPage, 404, ""},
        {"GET", "/plugin-auth/session-request/", S::LoginPage, 404, ""},
    };
    for (const Case& c : cases) {
        const HttpResponse answer = call({c.method, c.target, {}, "", ""}, c.surface);
        EXPECT_EQ(answer.status, c.status) << c.method << " " << c.target;
        std::string allow;
        for (const auto& [name, value] : answer.headers) {
            allow = name == "Allow" ? value : allow;
        }
        EXPECT_EQ(allow, c.allow) << c.method << " " << c.target;
    }
}

// Guessing is slowed per client address (many accounts from one address) and per account
// (one account from many addresses); the lock doubles with each further failure.
TEST_F(RouterTest, FailedSignInsAreSlowedPerClientAddressAndPerAccount) {
    const auto signIn = [&](const std::string& email, const std::string& password,
                            const std::string& from) {
        const std::string id = json::parse(get("/plugin-auth/session-request/").body)["id"];
        return send("POST", "/plugin-auth/login",
                    "session=" + id + "&email=" + email + "&password=" + password, "", from)
            .status;
    };
    const std::string ann = "ann%40example.org";
    for (int i = 0; i < AddressThrottle::freeAttempts; ++i) {
        EXPECT_EQ(signIn("user" + std::to_string(i) + "%40example.org", "guess", "192.0.2.9"), 401);
    }
    EXPECT_EQ(signIn(ann, "pw", "192.0.2.9"), 429);
    EXPECT_EQ(signIn(ann, "pw", "192.0.2.10"), 200);
    clock.advance(2);
    EXPECT_EQ(signIn(ann, "pw", "192.0.2.9"), 200);

    // Three free guesses at ann from three addresses, then locks of 1, 2 and 4 seconds that
    // a fresh address does not escape.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(signIn(ann, "guess", "198.51.100." + std::to_string(i)), 401);
    }
    for (const int lock : {1, 2, 4}) {
        EXPECT_EQ(signIn(ann, "pw", "203.0.113." + std::to_string(lock)), 429) << lock;
        clock.advance(lock - 1);
        EXPECT_EQ(signIn(ann, "guess", "203.0.113.99"), 429) << lock;
        clock.advance(1);
        EXPECT_EQ(signIn(ann, "guess", "203.0.113.99"), 401) << lock;
    }
    EXPECT_EQ(lockSeconds(100, 3), 900);
    clock.advance(8);
    EXPECT_EQ(signIn(ann, "pw", "203.0.113.100"), 200);
    EXPECT_EQ(store->account("ann@example.org")->failedLogins, 0);
}

// Completes every call with the same result, or throws what it is given.
class ScriptedEngine final : public Engine {
public:
    std::function<void(Done)> script;
    void summarize(const std::string&, Done done) override { script(std::move(done)); }
    void reply(const std::string&, const std::string&, Done done) override {
        script(std::move(done));
    }
    void chat(const std::string&, const std::string&, Done done) override {
        script(std::move(done));
    }
};

TEST_F(RouterTest, EngineFailuresAndThrowsBecomeJsonErrors) {
    struct Case {
        std::function<void(Engine::Done)> script;
        int status;
        std::string error;
        std::size_t logLines;
    };
    const std::vector<Case> cases = {
        {[](Engine::Done done) { done(EngineError("down")); }, 502, "engine failed: down", 0},
        {[](Engine::Done done) { done(EngineError("full", EngineError::Kind::Busy)); }, 503, "full",
         0},
        {[](Engine::Done) { throw EngineError("thrown"); }, 500, "internal error", 1},
        {[](Engine::Done) { throw 42; }, 500, "internal error", 1},
        {[](Engine::Done done) { done(std::string("fine")); }, 200, "", 0},
    };
    for (const Case& c : cases) {
        ScriptedEngine scripted;
        scripted.script = c.script;
        BackendWorld world(&scripted);
        const std::string bearer = world.signIn();
        const HttpResponse answer = world.call({"POST",
                                                "/api/v1/response",
                                                {{"authorization", "Bearer " + bearer}},
                                                R"({"messageId":"","content":"Hi?"})",
                                                ""});
        EXPECT_EQ(answer.status, c.status);
        const json body = json::parse(answer.body);
        EXPECT_EQ(body.value("error", ""), c.error);
        EXPECT_EQ(world.log.size(), c.logLines);
        bool retryAfter = false;
        for (const auto& [name, value] : answer.headers) {
            retryAfter |= name == "Retry-After";
        }
        EXPECT_EQ(retryAfter, c.status == 503);
    }
}

TEST_F(RouterTest, FullHashingQueueRefusesSignInAtOnce) {
    WorkPool noRoom(1, 0);
    Router busyRouter(*store, *auth, engine, clock, {workers, noRoom}, {},
                      [](const std::string&) {});
    std::promise<HttpResponse> answer;
    busyRouter.handle({"POST", "/plugin-auth/login", {}, "session=x&email=a&password=b", ""},
                      [&answer](HttpResponse r) { answer.set_value(r); });
    const HttpResponse refused = answer.get_future().get();
    EXPECT_EQ(refused.status, 503);
}

} // namespace
