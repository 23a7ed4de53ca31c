#include "httpsserver.h"

#include "backendworld.h"
#include "secrets.h"
#include "slowclients.h"

#include <atomic>
#include <cstdio>
#include <future>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <thread>

using namespace backend;
using nlohmann::json;
using Steady = std::chrono::steady_clock;
using std::chrono::milliseconds;

namespace {

using C = LoopbackClient::Connection;

std::string http(const std::string& method, const std::string& target, const std::string& body,
                 const std::string& token = "", C connection = C::Close) {
    return LoopbackClient::request(method, target, body, token, connection);
}

ServerOptions deadlines(milliseconds deadline) {
    ServerOptions options;
    options.readTimeout = deadline;
    options.idleTimeout = deadline;
    return options;
}

// Short deadlines keep the tests of slow and idle clients short.
class HttpsServerTest : public testing::Test, protected BackendWorld {
protected:
    void SetUp() override { serve(deadlines(milliseconds(2000))); }
};

// The browser's sign-in and the extension's poll over real TLS; the routes' other answers are
// the router's tests.
TEST_F(HttpsServerTest, SignInAndApiOverRealTls) {
    const std::string id =
        json::parse(send(http("GET", "/plugin-auth/session-request/", "")).body)["id"];
    const std::string form = "session=" + id + "&email=ann%40example.org&password=pw";
    EXPECT_EQ(send(http("POST", "/plugin-auth/login", form)).status, 200);
    const std::string poll = http("GET", "/plugin-auth/session-request/" + id, "");
    const std::string token = json::parse(send(poll).body)["access_token"];
    EXPECT_EQ(send(poll).status, 404);
    const LoopbackClient::Answer me = send(http("GET", "/api/v1/me", "", token));
    EXPECT_EQ(me.status, 200);
    EXPECT_EQ(json::parse(me.body)["email"], "ann@example.org");
}

TEST_F(HttpsServerTest, HostileBodiesGetJsonErrorsAndLoseNoStoredRow) {
    const std::string token = signIn();
    const auto connection = client();
    const auto post = [&](const std::string& route, const std::string& body) {
        return connection->send(http("POST", "/api/v1" + route, body, token, C::KeepAlive));
    };
    ASSERT_EQ(post("/create-training-data", R"({"question":"q1","answer":"a1"})").status, 200);
    const json chat =
        json::parse(post("/chat/start", R"({"email_content":"Lunch is at noon."})").body);
    json send = {{"assistantId", chat["response"]["assistantId"]},
                 {"threadId", chat["response"]["threadId"]},
                 {"content", "When is lunch?"}};

    const std::vector<std::pair<std::string, std::string>> hostile = {
        {"/summarize", "{"},
        {"/summarize", "{\"content\":\"caf\xE9\"}"},
        {"/response", "{\"content\":\"\xC0\xAF\"}"},
        {"/chat/start", R"({"email_content":"\ud800"})"},
        {"/create-training-data", "{\"question\":\"q\",\"answer\":\"\xED\xA0\x80\"}"},
        {"/summarize", R"({"content":["a"]})"},
        {"/response", R"({"content":null})"},
        {"/chat/start", R"({"email_content":{"a":1}})"},
        {"/chat/send", R"({"assistantId":1,"threadId":"t","content":"x"})"},
        {"/create-training-data", R"({"question":"q","answer":7})"},
        {"/create-training-data", R"([{"question":"q","answer":"a"}])"}};
    for (const auto& [route, body] : hostile) {
        const LoopbackClient::Answer answer = post(route, body);
        EXPECT_EQ(answer.status, 400) << route << " " << body;
        EXPECT_TRUE(json::parse(answer.body).contains("error")) << route;
    }
    for (const auto& [member, value] :
         {std::pair{"threadId", "thread_doesnotexist"}, {"assistantId", "asst_someoneelse"}}) {
        json unknown = send;
        unknown[member] = value;
        EXPECT_EQ(post("/chat/send", unknown.dump()).status, 404) << member;
    }
    const std::vector<TrainingPair> pairs = store->trainingPairs();
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_EQ(pairs[0].question, "q1");
    EXPECT_EQ(pairs[0].answer, "a1");
    const LoopbackClient::Answer answer = post("/chat/send", send.dump());
    ASSERT_EQ(answer.status, 200);
    EXPECT_NE(answer.body.find("noon"), std::string::npos);
}

// A thousand handshakes that get a byte every quarter of a second, and one request that does the
// same after its handshake: the server answers others meanwhile and drops each slow one at its
// deadline, however often its bytes arrive.
TEST_F(HttpsServerTest, SlowClientsAreDroppedAtTheirDeadlineWhileOthersAreServed) {
    constexpr int slowCount = 1000;
    const milliseconds deadline(2000);
    if (!enoughDescriptors(2 * slowCount + 256)) {
        GTEST_SKIP() << "the hard limit on open files is below " << 2 * slowCount + 256;
    }
    const std::string token = signIn();
    const auto normal = client();
    const auto before = Steady::now();
    const auto slowRequest = client();
    SlowClients slow(port, slowCount);
    ASSERT_TRUE(slow.connected());
    const std::string raw = http("GET", "/health", "");
    Steady::time_point firstDrop, lastDrop;
    bool requestDropped = false;
    std::thread trickle([&] {
        for (std::size_t i = 0; Steady::now() - before < deadline + std::chrono::seconds(8); ++i) {
            const int open = slow.trickle();
            if (!requestDropped && slowRequest->readable()) {
                requestDropped = slowRequest->receive().status == 0;
            } else if (!requestDropped) {
                (void)slowRequest->write(raw.substr(i % raw.size(), 1));
            }
            const auto now = Steady::now();
            if (firstDrop == Steady::time_point() && (open < slowCount || requestDropped)) {
                firstDrop = now;
            }
            if (open == 0 && requestDropped) {
                lastDrop = now;
                return;
            }
            std::this_thread::sleep_for(milliseconds(250));
        }
    });
    int served = 0;
    while (Steady::now() - before < deadline - milliseconds(300)) {
        ASSERT_EQ(normal->send(http("GET", "/api/v1/me", "", token, C::KeepAlive)).status, 200);
        ++served;
    }
    trickle.join();
    const auto seconds = [&](Steady::time_point at) {
        return std::chrono::duration<double>(at - before).count();
    };
    std::printf("%d answers meanwhile; slow clients dropped from %.2f s to %.2f s\n", served,
                seconds(firstDrop), seconds(lastDrop));
    EXPECT_GT(served, 0);
    EXPECT_TRUE(requestDropped);
    EXPECT_GE(firstDrop - before, deadline - milliseconds(200));
    // All gone while their bytes still came: closing a thousand TLS connections takes the
    // server a few seconds under a sanitizer, so only the window's end bounds it.
    EXPECT_NE(lastDrop, Steady::time_point());
}

TEST_F(HttpsServerTest, TenThousandRandomTokensAreAllRefused) {
    constexpr int clients = 4;
    constexpr int each = 2500;
    std::atomic<int> refused = 0;
    std::vector<std::thread> threads;
    const auto until = Steady::now() + std::chrono::seconds(60);
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&] {
            const auto connection = client();
            for (int i = 0; i < each && Steady::now() < until; ++i) {
                const std::string raw =
                    http("GET", "/api/v1/me", "", secrets::randomHex(32), C::KeepAlive);
                if (connection->send(raw).status != 401) {
                    return;
                }
                ++refused;
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    std::printf(
        "%d refused in %.2f s\n", refused.load(),
        std::chrono::duration<double>(Steady::now() - (until - std::chrono::seconds(60))).count());
    EXPECT_EQ(refused, clients * each);
    EXPECT_EQ(send(http("GET", "/api/v1/me", "", signIn())).status, 200);
}

// A refused request ends its connection: what follows it on the stream, even when it looks
// like a request, is never served.
TEST_F(HttpsServerTest, RefusedRequestIsAnsweredThenTheConnectionCloses) {
    const std::string smuggled = http("GET", "/health", "", "", C::KeepAlive);
    const std::vector<std::pair<std::string, int>> cases = {
        {"NOT HTTP AT ALL\r\n\r\n" + smuggled, 400},
        {"POST /api/v1/summarize HTTP/1.1\r\nHost: x\r\nContent-Length: 2000000\r\n\r\n" + smuggled,
         413},
        {"GET /health HTTP/1.1\r\nHost: x\r\nX-Big: " + std::string(20000, 'b') + "\r\n\r\n" +
             smuggled,
         431},
    };
    for (const auto& [raw, status] : cases) {
        const auto connection = client();
        ASSERT_TRUE(connection->write(raw));
        const LoopbackClient::Answer refused = connection->receive();
        EXPECT_EQ(refused.status, status);
        EXPECT_TRUE(json::parse(refused.body).contains("error"));
        EXPECT_EQ(connection->receive().status, 0) << status;
    }
}

TEST_F(HttpsServerTest, NothingAHandlerThrowsEndsTheProcess) {
    const std::vector<std::function<void()>> throwers = {[] { throw std::runtime_error("broken"); },
                                                         [] { throw 42; },
                                                         [] { throw EngineError("engine broke"); }};
    for (const auto& thrower : throwers) {
        serve({}, [thrower](HttpRequest, Respond) { thrower(); });
        const std::size_t logged = logLines().size();
        const LoopbackClient::Answer answer = send(http("GET", "/health", ""));
        EXPECT_EQ(answer.status, 500);
        EXPECT_EQ(json::parse(answer.body)["error"], "internal error");
        server->stop();
        EXPECT_EQ(logLines().size(), logged + 1);
    }
}

TEST_F(HttpsServerTest, StopWritesTheAnswersInFlightWithinItsGrace) {
    std::promise<Respond> pending;
    serve({}, [&pending](HttpRequest, Respond respond) { pending.set_value(std::move(respond)); });
    const auto connection = client();
    ASSERT_TRUE(connection->write(http("GET", "/health", "")));
    Respond respond = pending.get_future().get();
    // The answer is computed while the server stops.
    std::thread late([&respond] {
        std::this_thread::sleep_for(milliseconds(100));
        respond({200, "application/json", "{}", {}});
    });
    server->stop(milliseconds(5000));
    late.join();
    EXPECT_EQ(connection->receive().status, 200);
    EXPECT_EQ(connectLoopback(port), -1);
}

// Connections that arrive between bind and start wait for the handler instead of meeting none.
TEST_F(HttpsServerTest, ConnectionsBeforeStartAreServedOnceItStarts) {
    HttpsServer later(loop, tlsOptions(), [](const std::string&) {});
    port = later.bind();
    std::future<int> status =
        std::async(std::launch::async, [&] { return send(http("GET", "/health", "")).status; });
    EXPECT_EQ(status.wait_for(milliseconds(200)), std::future_status::timeout);
    later.start([](HttpRequest, Respond respond) { respond({204, "application/json", "", {}}); });
    EXPECT_EQ(status.get(), 204);
}

} // namespace
