#include "backendworld.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace backend;
using nlohmann::json;

namespace {

class RouterTest : public testing::Test, protected BackendWorld {
protected:
    RouterTest()
        : BackendWorld("qv-router-",
                       RouterOptions{"https://127.0.0.1:1", "1.2.0", "https://example.org/dl"}) {}

    std::string token;

    void SetUp() override {
        const std::string id = json::parse(get("/plugin-auth/session-request/").body)["id"];
        EXPECT_EQ(
            post("/plugin-auth/login", "session=" + id + "&email=ann%40example.org&password=pw", "")
                .status,
            200);
        token = json::parse(get("/plugin-auth/session-request/" + id).body)["access_token"];
    }

    HttpResponse get(const std::string& target, const std::string& bearer = "") {
        HttpRequest r{"GET", target, {}, ""};
        if (!bearer.empty())
            r.headers["authorization"] = "Bearer " + bearer;
        return router->handle(r);
    }
    HttpResponse post(const std::string& target, const std::string& body,
                      const std::string& bearer) {
        HttpRequest r{"POST", target, {}, body};
        if (!bearer.empty())
            r.headers["authorization"] = "Bearer " + bearer;
        return router->handle(r);
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

TEST_F(RouterTest, ChatThreadAnswersFromItsMessage) {
    const json started = json::parse(
        post("/api/v1/chat/start",
             R"({"email":"x","email_content":"Lunch is at noon. The room is B2."})", token)
            .body);
    const json send = {{"assistantId", started["response"]["assistantId"]},
                       {"threadId", started["response"]["threadId"]},
                       {"email", "x"},
                       {"content", "Which room?"}};
    const auto answer = post("/api/v1/chat/send", send.dump(), token);
    ASSERT_EQ(answer.status, 200);
    EXPECT_NE(json::parse(answer.body)["response"].get<std::string>().find("B2"),
              std::string::npos);
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

} // namespace

namespace {

class FailingEngine final : public Engine {
public:
    std::string summarize(const std::string&) override { throw EngineError{"down"}; }
    std::string reply(const std::string&, const std::string&) override {
        throw EngineError{"down"};
    }
    std::string chat(const std::string&, const std::string&) override { throw EngineError{"down"}; }
};

TEST_F(RouterTest, EngineFailureIsABadGatewayWithJsonError) {
    FailingEngine failing;
    Router failingRouter(*store, *auth, failing, clock, {});
    HttpRequest r{"POST",
                  "/api/v1/response",
                  {{"authorization", "Bearer " + token}},
                  R"({"messageId":"","content":"Hi?","email":"x"})"};
    const auto answer = failingRouter.handle(r);
    EXPECT_EQ(answer.status, 502);
    EXPECT_EQ(json::parse(answer.body)["error"], "engine failed: down");
}

} // namespace
