#include "addressblock.h"
#include "bothstores.h"
#include "formfields.h"

#include <algorithm>
#include <future>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace backend;
using nlohmann::json;
using testing::HasSubstr;

namespace {

using RouterTest = ServedWorld;

TEST_P(RouterTest, EveryApiRouteNeedsAValidToken) {
    const std::string token = signIn();
    const std::vector<std::pair<std::string, json>> routes = {
        {"/api/v1/summarize", {{"content", "A b."}, {"email", "x"}}},
        {"/api/v1/response", {{"messageId", ""}, {"content", "A b?"}, {"email", "x"}}},
        {"/api/v1/chat/start", {{"email", "x"}, {"email_content", "A b."}}},
        {"/api/v1/create-training-data", {{"email", "x"}, {"question", "q"}, {"answer", "a"}}}};
    for (const auto& [path, body] : routes) {
        EXPECT_EQ(send("POST", path, body.dump()).status, 401) << path;
        EXPECT_EQ(send("POST", path, body.dump(), "nope").status, 401) << path;
        const auto ok = send("POST", path, body.dump(), token);
        EXPECT_EQ(ok.status, 200) << path;
        EXPECT_TRUE(json::parse(ok.body).contains(path.ends_with("data") ? "success" : "response"))
            << path;
    }
}

// A store that fails mid-request answers 500 with a JSON error and one log line.
TEST_P(RouterTest, HostileBodiesGetJsonErrorsAndLoseNoStoredRow) {
    const std::string token = signIn();
    const auto post = [&](const std::string& route, const std::string& body) {
        return send("POST", "/api/v1" + route, body, token);
    };
    ASSERT_EQ(post("/create-training-data", R"({"question":"q1","answer":"a1"})").status, 200);
    const json chat =
        json::parse(post("/chat/start", R"({"email_content":"Lunch is at noon."})").body);
    const json turn = {{"assistantId", chat["response"]["assistantId"]},
                       {"threadId", chat["response"]["threadId"]},
                       {"content", "When is lunch?"}};
    const std::vector<std::pair<std::string, std::string>> hostile = {
        {"/summarize", "{"},
        {"/summarize", "{\"content\":\"caf\xE9\"}"},
        {"/chat/start", R"({"email_content":"\ud800"})"},
        {"/response", R"({"content":null})"},
        {"/chat/send", R"({"assistantId":1,"threadId":"t","content":"x"})"},
        {"/create-training-data", R"([{"question":"q","answer":"a"}])"},
        // PostgreSQL would keep a text only up to its NUL.
        {"/create-training-data", R"({"question":"q","answer":"a\u0000b"})"},
        {"/chat/start", R"({"email_content":"\u0000"})"},
        {"/chat/send", R"({"assistantId":"a","threadId":"t","content":"x\u0000"})"}};
    for (const auto& [route, body] : hostile) {
        const auto answer = post(route, body);
        EXPECT_EQ(answer.status, 400) << route << " " << body;
        EXPECT_TRUE(json::parse(answer.body).contains("error")) << route;
    }
    for (const auto& [member, value] :
         {std::pair{"threadId", "thread_doesnotexist"}, {"assistantId", "asst_someoneelse"}}) {
        json unknown = turn;
        unknown[member] = value;
        EXPECT_EQ(post("/chat/send", unknown.dump()).status, 404) << member;
    }
    const std::vector<TrainingPair> pairs = storedTrainingPairs();
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_EQ(pairs[0].answer, "a1");
    const auto answer = post("/chat/send", turn.dump());
    ASSERT_EQ(answer.status, 200);
    EXPECT_THAT(answer.body, HasSubstr("noon"));

    execBehindTheStore("DROP TABLE training_pairs");
    const auto failed = post("/create-training-data", R"({"question":"q","answer":"a"})");
    EXPECT_EQ(failed.status, 500);
    EXPECT_EQ(json::parse(failed.body)["error"], "internal error");
    EXPECT_THAT(logLines().back(), testing::StartsWith("internal error: "));
    EXPECT_THAT(logLines().back(), HasSubstr("training_pairs"));
}

// Browsers are told to keep to HTTPS only for a DNS name of the backend's own: pinning an
// address or localhost would break every other local server there.
TEST_P(RouterTest, LoginPageIsStrictSaysWhoAsksAndPinsHttpsOnlyUnderAPublicName) {
    EXPECT_EQ(send("GET", "/plugin-auth/login?code=%3Cscript%3E").status, 410);
    EXPECT_EQ(send("GET", "/plugin-auth/login").status, 400);
    const std::string code = auth->createSession().loginCode;
    auto page = send("GET", "/plugin-auth/login?code=" + code);
    EXPECT_EQ(page.status, 200);
    EXPECT_THAT(page.body, HasSubstr("asks to use your account. It asked at <time datetime=\"2023-"
                                     "11-14T22:13Z\">22:13 UTC on 14 November 2023</time>."));
    EXPECT_THAT(page.body, HasSubstr("name=\"code\" value=\"" + code + "\""));
    EXPECT_THAT(page.headers["content-security-policy"], testing::StartsWith("default-src 'none'"));
    page = send("POST", "/plugin-auth/login", "code=" + code + "&email=%22%3E%3Cb%3E&password=x");
    EXPECT_THAT(page.body, HasSubstr("value=\"&quot;&gt;&lt;b&gt;\""));
    // Signed in, the browser is sent on, so that a reload does not post the used link again.
    page =
        send("POST", "/plugin-auth/login", "code=" + code + "&email=ann%40example.org&password=pw");
    EXPECT_EQ(page.status, 303);
    EXPECT_THAT(send("GET", page.headers["location"]).body, HasSubstr("You are signed in."));
    EXPECT_EQ(Router::logPath("/plugin-auth/session-request/abc"),
              "/plugin-auth/session-request/:id");
    const auto hsts = [&](const std::string& target) {
        return std::ranges::count(call({"GET", target, {}, "", "192.0.2.1"}).headers,
                                  "Strict-Transport-Security",
                                  [](const auto& h) { return h.first; });
    };
    const std::vector<std::pair<std::string, bool>> urls = {
        {"https://mail.example.org", true}, {"https://Mail.Example.org:8443", true},
        {"https://localhost:8443", false},  {"https://app.localhost", false},
        {"https://127.0.0.1:8443", false},  {"https://[::1]:8443", false},
        {"http://mail.example.org", false},
    };
    for (const auto& [url, pinned] : urls) {
        RouterOptions options;
        options.publicUrl = url;
        router = std::make_unique<Router>(*store, *auth, engine, clock,
                                          RouterThreads{workers, hashing}, options, logLine);
        EXPECT_EQ(hsts("/plugin-auth/login?code=x"), pinned ? 1 : 0) << url;
        EXPECT_EQ(hsts("/health"), 0) << url;
    }
}

// One account cannot fill the disk that every account writes to: what it stores in a day (UTC)
// is bounded, refused requests store nothing, and other accounts and the next day are not held.
TEST_P(RouterTest, WhatAnAccountStoresInADayIsBounded) {
    RouterOptions options;
    options.storedBytesPerDay = 40;
    router = std::make_unique<Router>(*store, *auth, engine, clock, RouterThreads{workers, hashing},
                                      options, logLine);
    const std::string ann = signIn();
    const auto post = [&](const std::string& route, const json& body, const std::string& token) {
        return send("POST", "/api/v1" + route, body.dump(), token);
    };
    const auto train = [&](const std::string& question, const std::string& token) {
        return post("/create-training-data", {{"question", question}, {"answer", "0123456789"}},
                    token)
            .status;
    };
    EXPECT_EQ(train("twenty bytes of mail", ann), 200);
    const json chat = json::parse(post("/chat/start", {{"email_content", "Lunch?"}}, ann).body);
    const json turn = {{"assistantId", chat["response"]["assistantId"]},
                       {"threadId", chat["response"]["threadId"]},
                       {"content", "When?"}};
    const auto refused = post("/chat/send", turn, ann);
    EXPECT_EQ(refused.status, 429);
    EXPECT_EQ(refused.headers.at("retry-after"), "6400");
    EXPECT_EQ(logLines().back(), "daily storage used up by ann@example.org");
    EXPECT_EQ(post("/chat/start", {{"email_content", "Noon"}}, ann).status, 200) << "to 40";
    // Bo's sign-in purges what has expired, today's counts not among it.
    auth->addAccount("bo@example.org", "Bo", "pw");
    const auto session = auth->createSession();
    (void)auth->login(session.loginCode, "bo@example.org", "pw", "");
    const std::string bo = auth->poll(session.id).token;
    EXPECT_EQ(train("", ann), 429);
    EXPECT_EQ(train("forty bytes of mail that fill a day", bo), 429);
    EXPECT_EQ(train("twenty bytes of mail", bo), 200);
    clock.advance(6400);
    EXPECT_EQ(train("twenty bytes of mail", ann), 200);
    EXPECT_EQ(storedTrainingPairs().size(), 3u);
}

// A session costs a disk sync: one address may start 30 a minute, and others are not held up.
TEST_P(RouterTest, SessionStartsAreLimitedPerClientAddress) {
    const auto start = [&](const std::string& from) { return send("GET", sessions, "", "", from); };
    for (int i = 0; i < 30; ++i) {
        ASSERT_EQ(start("127.0.2.7").status, 200) << i;
    }
    clock.advance(20);
    auto refused = start("127.0.2.7");
    EXPECT_EQ(refused.status, 429);
    EXPECT_EQ(refused.headers["retry-after"], "40");
    EXPECT_EQ(start("127.0.2.8").status, 200);
    clock.advance(39);
    EXPECT_EQ(start("127.0.2.7").status, 429);
    clock.advance(1);
    EXPECT_EQ(start("127.0.2.7").status, 200);
}

// Password checks are slow by design: one address may have four queued or running, and its
// fifth is refused at once while another address still signs in.
TEST_P(RouterTest, OneAddressHoldsOnlyItsShareOfThePasswordChecks) {
    std::promise<void> open;
    ASSERT_TRUE(hashing.tryPost("gate", [held = open.get_future().share()] { held.wait(); }));
    std::vector<std::future<HttpResponse>> answers;
    const auto submit = [&](const std::string& password, const std::string& from) {
        auto answer = std::make_shared<std::promise<HttpResponse>>();
        answers.push_back(answer->get_future());
        router->handle({"POST",
                        "/plugin-auth/login",
                        {{"content-type", "application/x-www-form-urlencoded"}},
                        "code=" + auth->createSession().loginCode +
                            "&email=ann%40example.org&password=" + password,
                        from},
                       [answer](HttpResponse r) { answer->set_value(std::move(r)); });
    };
    for (int i = 0; i < 5; ++i) {
        submit("guess", "127.0.2.11");
    }
    const bool refusedAtOnce =
        answers.back().wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    submit("pw", "127.0.2.12");
    open.set_value();
    EXPECT_TRUE(refusedAtOnce);
    std::vector<int> statuses;
    for (auto& answer : answers) {
        const HttpResponse got = answer.get();
        statuses.push_back(got.status);
        if (got.status == 503) {
            EXPECT_EQ(got.body, R"({"error":"the server is busy; try again shortly"})");
        }
    }
    EXPECT_EQ(statuses, (std::vector{401, 401, 401, 401, 503, 303}));
}

INSTANTIATE_OVER_BOTH_STORES(RouterTest);

// Broken escapes are the fuzz target's to find.
TEST(FormFields, DecodeLikeABrowser) {
    using Fields = std::map<std::string, std::string>;
    const std::vector<std::pair<std::string, Fields>> cases = {
        {"email=ann%40example.org&password=a+b%2Bc",
         {{"email", "ann@example.org"}, {"password", "a b+c"}}},
        {"x=1&x=2&flag&empty=", {{"x", "2"}, {"empty", ""}}},
        {"na%C3%AFve=%E2%9C%93", {{"na\xC3\xAFve", "\xE2\x9C\x93"}}},
        {"", {}}};
    for (const auto& [encoded, expected] : cases) {
        EXPECT_EQ(formFields(encoded), expected) << encoded;
    }
}

// One client's addresses, as sign-in limits count them: the /64 of an IPv6 address, where each
// host has 2^64 of its own to rotate through.
TEST(AddressBlock, IsTheIpv4AddressOrTheIpv6Network) {
    for (const auto& [address, block] : std::initializer_list<std::pair<const char*, const char*>>{
             {"127.0.2.7", "127.0.2.7"},
             {"::ffff:127.0.2.7", "127.0.2.7"},
             {"2001:db8:0:1::7", "2001:db8:0:1::/64"},
             {"2001:db8:0:1:ffff:1:2:3", "2001:db8:0:1::/64"},
             {"::1", "::/64"},
             {"not an address", "not an address"},
         }) {
        EXPECT_EQ(addressBlock(address), block);
    }
}

// Five failures free per account and address, and per login code, then a lock of a second that
// doubles; unknown accounts alike; one log line each, without the password or the code.
TEST_P(RouterTest, FailedSignInsAreThrottledPerAccountAndAddressAndPerCode) {
    const auto fresh = [&] { return auth->createSession().loginCode; };
    for (const char* email : {"ann%40example.org", "nobody%40example.org"}) {
        std::vector<int> statuses;
        statuses.reserve(SignInThrottle::freeFailures + 6);
        for (int i = 0; i < SignInThrottle::freeFailures; ++i) {
            statuses.push_back(login(fresh(), email, "guess", "127.0.2.9"));
        }
        for (const int lock : {1, 2, 4}) {
            statuses.push_back(login(fresh(), email, "pw", "127.0.2.9"));
            clock.advance(lock);
            statuses.push_back(login(fresh(), email, "guess", "127.0.2.9"));
        }
        EXPECT_EQ(statuses, (std::vector{401, 401, 401, 401, 401, 429, 401, 429, 401, 429, 401}))
            << email;
    }
    // The page's text field sends the spaces typed around an address; they count for nothing.
    EXPECT_EQ(login(fresh(), "+ann%40example.org%09", "guess", "127.0.2.9"), 429);
    EXPECT_EQ(login(fresh(), "%20ann%40example.org+", "pw", "127.0.2.10"), 303);
    clock.advance(SignInThrottle::window);
    EXPECT_EQ(login(fresh(), "ann%40example.org", "pw", "127.0.2.9"), 303);

    // Each guess from another address of one IPv6 network is the same guesser's.
    using Login = Authenticator::LoginResult;
    for (int i = 0; i < SignInThrottle::freeFailures; ++i) {
        EXPECT_EQ(
            auth->login(fresh(), "ann@example.org", "guess", "2001:db8::" + std::to_string(i)),
            Login::WrongCredentials);
    }
    EXPECT_EQ(auth->login(fresh(), "ann@example.org", "pw", "2001:db8::ffff:1"),
              Login::TooManyAttempts);

    const std::string code = fresh();
    for (int i = 0; i < SignInThrottle::freeFailures; ++i) {
        EXPECT_EQ(login(code, "ann%40example.org", "guess", "127.0.3." + std::to_string(i)), 401);
    }
    EXPECT_EQ(login(code, "ANN%40Example.org", "pw", "127.0.4.1"), 429) << "logged as ann";
    const std::string hash = secrets::sha256Hex("ann@example.org").substr(0, 16);
    EXPECT_EQ(logLines().back(),
              "sign-in failed from 127.0.4.1 account " + hash + ": too many attempts");
    EXPECT_EQ(logLines().rbegin()[1], "sign-in failed from 127.0.3.4 account " + hash +
                                          ": wrong e-mail address or password");
    for (const std::string& line : logLines()) {
        EXPECT_THAT(line, testing::Not(testing::AnyOf(HasSubstr("guess"), HasSubstr(code))));
    }
}

} // namespace

// The sign-in pages speak the first of the browser's languages that the panel speaks, else
// English; every page of a sign-in does.
TEST(SignInPages, SpeakTheBrowsersLanguage) {
    BackendWorld world;
    const std::string code = world.auth->createSession().loginCode;
    const auto page = [&](const std::string& method, const std::string& target,
                          const std::string& accepted, const std::string& form = "") {
        return world.call(
            {method,
             target,
             {{"accept-language", accepted}, {"content-type", "application/x-www-form-urlencoded"}},
             form,
             "127.0.0.1"});
    };
    const struct {
        const char* accepted;
        const char* language;
        const char* button;
    } choices[] = {
        {"", "en", "Sign in"},
        {"de-DE,de;q=0.9,en;q=0.8", "de", "Anmelden"},
        {"en;q=0.5, fr-CA", "fr", "Se connecter"},
        {"ja, pt-PT;q=0.3, es;q=0.3", "pt", "Iniciar sessão"},
        {"DE;q=0, nl", "nl", "Inloggen"},
        {"es;q=x, it;q=0.1", "it", "Accedi"},
        {"xx, *", "en", "Sign in"},
    };
    for (const auto& choice : choices) {
        const std::string body =
            page("GET", "/plugin-auth/login?code=" + code, choice.accepted).body;
        SCOPED_TRACE(choice.accepted);
        EXPECT_THAT(body, HasSubstr(std::string("<html lang=\"") + choice.language + "\">"));
        EXPECT_THAT(body, HasSubstr(std::string(">") + choice.button + "</button>"));
    }
    const std::string login = "/plugin-auth/login";
    const std::string form = "code=" + code + "&email=ann%40example.org&password=";
    // Braced lists are evaluated in order: the sign-in's steps, one after the other.
    const std::vector<std::pair<HttpResponse, std::string>> german = {
        {page("GET", login + "?code=" + code, "de"),
         "Die Anfrage kam am <time datetime=\"2023-11-14T22:13Z\">14.11.2023 um 22:13 UTC</time>."},
        {page("GET", login, "de"), "Dieser Anmeldelink ist unvollständig."},
        {page("POST", login, "de", form + "x"), "Falsche E-Mail-Adresse oder falsches Passwort."},
        {page("POST", login, "de", form + "pw"), ""},
        {page("GET", "/plugin-auth/signed-in", "de"), "Sie sind angemeldet."},
        {page("GET", login + "?code=" + code, "de"), "Dieser Anmeldelink ist abgelaufen"},
    };
    EXPECT_EQ(german[3].first.status, 303);
    for (const auto& [answer, text] : german) {
        EXPECT_THAT(answer.body, HasSubstr(text)) << answer.status;
    }
}
