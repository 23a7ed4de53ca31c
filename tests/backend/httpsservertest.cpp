#include "httpsserver.h"

#include "backendworld.h"
#include "certificateauthority.h"
#include "loopbackclient.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace backend;
using nlohmann::json;

namespace {

LoopbackClient::Answer request(std::uint16_t port, const std::string& caPem,
                               const std::string& raw) {
    LoopbackClient client(port, caPem);
    return client.send(raw);
}

std::string http(const std::string& method, const std::string& target, const std::string& body,
                 const std::string& token = "",
                 LoopbackClient::Connection connection = LoopbackClient::Connection::Close) {
    return LoopbackClient::request(method, target, body, token, connection);
}

// The loop outlives the world: the world's workers may still hold an answer's connection.
struct WithLoop {
    EventLoop loop{2};
};

class HttpsServerTest : public testing::Test, protected WithLoop, protected BackendWorld {
protected:
    HttpsServerTest()
        : BackendWorld("qv-https-") {}

    std::unique_ptr<HttpsServer> server;
    std::string caPem;
    std::uint16_t port = 0;
    std::vector<std::string> serverLog;

    void SetUp() override {
        startServer(std::chrono::milliseconds(2000), [this](HttpRequest r, Respond respond) {
            router->handle(std::move(r), std::move(respond));
        });
    }

    // Short deadlines keep the tests of slow and idle clients short.
    void startServer(std::chrono::milliseconds deadline, HttpsServer::Handler handler) {
        if (server) {
            server->stop();
        }
        const auto ca = tls::makeCertificateAuthority("test CA", 1);
        const auto cert = tls::issueServerCertificate(ca, {"127.0.0.1"}, 1);
        caPem = ca.certificatePem;
        ServerOptions options;
        options.port = 0;
        options.certificatePem = cert.certificatePem;
        options.keyPem = cert.keyPem;
        options.readTimeout = deadline;
        options.idleTimeout = deadline;
        server = std::make_unique<HttpsServer>(
            loop, options, [this](const std::string& line) { serverLog.push_back(line); });
        port = server->bind();
        server->start(std::move(handler));
    }
    void TearDown() override { server->stop(); }

    std::string signIn() {
        const LoopbackClient::Answer session =
            request(port, caPem, http("GET", "/plugin-auth/session-request/", ""));
        const std::string id = json::parse(session.body)["id"];
        const std::string form = "session=" + id + "&email=ann%40example.org&password=pw";
        EXPECT_EQ(request(port, caPem, http("POST", "/plugin-auth/login", form)).status, 200);
        const LoopbackClient::Answer poll =
            request(port, caPem, http("GET", "/plugin-auth/session-request/" + id, ""));
        const std::string token = json::parse(poll.body)["access_token"];
        EXPECT_EQ(
            request(port, caPem, http("GET", "/plugin-auth/session-request/" + id, "")).status,
            404);
        return token;
    }
};

TEST_F(HttpsServerTest, SignInAndApiOverRealTls) {
    const std::string token = signIn();
    const LoopbackClient::Answer me = request(port, caPem, http("GET", "/api/v1/me", "", token));
    EXPECT_EQ(me.status, 200);
    EXPECT_EQ(json::parse(me.body)["email"], "ann@example.org");
    EXPECT_EQ(request(port, caPem, http("GET", "/api/v1/me", "")).status, 401);
    const LoopbackClient::Answer summary = request(
        port, caPem, http("POST", "/api/v1/summarize", R"({"content":"One. Two."})", token));
    EXPECT_EQ(summary.status, 200);
    EXPECT_TRUE(json::parse(summary.body)["response"].is_string());
}

TEST_F(HttpsServerTest, OversizedAndMalformedRequestsAreRefused) {
    const std::string token = signIn();
    const std::string big(1024 * 1024 + 1, 'a');
    EXPECT_EQ(request(port, caPem, http("POST", "/api/v1/summarize", big, token)).status, 413);
    EXPECT_EQ(request(port, caPem, http("POST", "/api/v1/summarize", "{", token)).status, 400);
}

TEST_F(HttpsServerTest, HostileBodiesGetJsonErrorsAndLoseNoStoredRow) {
    const std::string token = signIn();
    LoopbackClient client(port, caPem);
    const auto post = [&](const std::string& route, const std::string& body) {
        return client.send(
            http("POST", "/api/v1" + route, body, token, LoopbackClient::Connection::KeepAlive));
    };
    ASSERT_EQ(post("/create-training-data", R"({"question":"q1","answer":"a1"})").status, 200);
    const json chat =
        json::parse(post("/chat/start", R"({"email_content":"Lunch is at noon."})").body);
    json send = {{"assistantId", chat["response"]["assistantId"]},
                 {"threadId", chat["response"]["threadId"]},
                 {"content", "When is lunch?"}};

    const std::vector<std::pair<std::string, std::string>> hostile = {
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
    json unknown = send;
    unknown["threadId"] = "thread_doesnotexist";
    EXPECT_EQ(post("/chat/send", unknown.dump()).status, 404);
    unknown = send;
    unknown["assistantId"] = "asst_someoneelse";
    EXPECT_EQ(post("/chat/send", unknown.dump()).status, 404);

    const std::vector<TrainingPair> pairs = store->trainingPairs();
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_EQ(pairs[0].question, "q1");
    EXPECT_EQ(pairs[0].answer, "a1");
    const LoopbackClient::Answer answer = post("/chat/send", send.dump());
    ASSERT_EQ(answer.status, 200);
    EXPECT_NE(answer.body.find("noon"), std::string::npos);
}

// The server and the idle clients share this process, so it needs two descriptors a connection.
bool enoughDescriptors(rlim_t wanted) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        return false;
    }
    if (limit.rlim_cur >= wanted) {
        return true;
    }
    limit.rlim_cur = std::min(wanted, limit.rlim_max);
    return ::setrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur >= wanted;
}

bool stillOpen(int fd) {
    pollfd events{fd, POLLIN, 0};
    return ::poll(&events, 1, 0) == 0;
}

TEST_F(HttpsServerTest, IdleAndBrokenClientsDoNotStopOthers) {
    constexpr int idleCount = 1000;
    if (!enoughDescriptors(2 * idleCount + 256)) {
        GTEST_SKIP() << "the hard limit on open files is below " << 2 * idleCount + 256;
    }
    startServer(std::chrono::seconds(20), [this](HttpRequest r, Respond respond) {
        router->handle(std::move(r), std::move(respond));
    });
    std::vector<int> idle;
    for (int i = 0; i < idleCount; ++i) {
        idle.push_back(connectLoopback(port));
        ASSERT_GE(idle.back(), 0) << "connection " << i;
    }
    // A truncated handshake: a few bytes of a ClientHello, then silence.
    const int truncated = connectLoopback(port);
    ASSERT_EQ(::send(truncated, "\x16\x03\x01\x00", 4, 0), 4);
    const std::string token = signIn();
    LoopbackClient other(port, caPem);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(
            other.send(http("GET", "/api/v1/me", "", token, LoopbackClient::Connection::KeepAlive))
                .status,
            200);
    }
    // The server accepted and still holds every idle connection while it served the other.
    EXPECT_EQ(std::count_if(idle.begin(), idle.end(), stillOpen), idleCount);
    for (const int fd : idle) {
        ::close(fd);
    }
    ::close(truncated);
    EXPECT_EQ(request(port, caPem, http("GET", "/health", "")).status, 200);
}

TEST_F(HttpsServerTest, SlowClientIsDroppedAtItsDeadlineWhileOthersAreServed) {
    using Steady = std::chrono::steady_clock;
    const auto deadline = std::chrono::milliseconds(2000);
    LoopbackClient slow(port, caPem);
    const std::string raw = http("GET", "/health", "");
    std::atomic<bool> dropped = false;
    const auto start = Steady::now();
    Steady::time_point droppedAt;
    // One byte every 200 ms, for at most four seconds; the request never completes in that time.
    std::thread trickle([&] {
        for (std::size_t i = 0; i < 20 && i < raw.size(); ++i) {
            if (slow.readable() || !slow.write(raw.substr(i, 1))) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        droppedAt = Steady::now();
        dropped = slow.receive().status == 0;
    });
    int served = 0;
    for (int i = 0; i < 200 && Steady::now() - start < deadline - std::chrono::milliseconds(500);
         ++i) {
        EXPECT_EQ(request(port, caPem, http("GET", "/health", "")).status, 200);
        ++served;
    }
    trickle.join();
    EXPECT_GT(served, 0);
    EXPECT_TRUE(dropped);
    const auto lasted = droppedAt - start;
    EXPECT_GE(lasted, deadline - std::chrono::milliseconds(100));
    EXPECT_LT(lasted, deadline + std::chrono::seconds(1));
}

// A refused request ends its connection: what follows it on the stream, even when it looks
// like a request, is never served.
TEST_F(HttpsServerTest, RefusedRequestIsAnsweredThenTheConnectionCloses) {
    const std::string smuggled =
        http("GET", "/health", "", "", LoopbackClient::Connection::KeepAlive);
    const std::vector<std::pair<std::string, int>> cases = {
        {"NOT HTTP AT ALL\r\n\r\n" + smuggled, 400},
        {"POST /api/v1/summarize HTTP/1.1\r\nHost: x\r\nContent-Length: 2000000\r\n\r\n" + smuggled,
         413},
        {"GET /health HTTP/1.1\r\nHost: x\r\nX-Big: " + std::string(20000, 'b') + "\r\n\r\n" +
             smuggled,
         431},
    };
    for (const auto& [raw, status] : cases) {
        LoopbackClient client(port, caPem);
        ASSERT_TRUE(client.write(raw));
        const LoopbackClient::Answer refused = client.receive();
        EXPECT_EQ(refused.status, status);
        EXPECT_TRUE(json::parse(refused.body).contains("error"));
        EXPECT_EQ(client.receive().status, 0) << status;
    }
}

TEST_F(HttpsServerTest, NothingAHandlerThrowsEndsTheProcess) {
    const std::vector<std::function<void()>> throwers = {[] { throw std::runtime_error("broken"); },
                                                         [] { throw 42; },
                                                         [] { throw EngineError("engine broke"); }};
    for (const auto& thrower : throwers) {
        serverLog.clear();
        startServer(std::chrono::milliseconds(2000),
                    [thrower](HttpRequest, Respond) { thrower(); });
        const LoopbackClient::Answer answer = request(port, caPem, http("GET", "/health", ""));
        EXPECT_EQ(answer.status, 500);
        EXPECT_EQ(json::parse(answer.body)["error"], "internal error");
        server->stop();
        EXPECT_EQ(serverLog.size(), 1u);
    }
}

TEST_F(HttpsServerTest, StopWritesTheAnswersInFlightWithinItsGrace) {
    std::promise<Respond> pending;
    startServer(std::chrono::milliseconds(2000), [&pending](HttpRequest, Respond respond) {
        pending.set_value(std::move(respond));
    });
    LoopbackClient client(port, caPem);
    ASSERT_TRUE(client.write(http("GET", "/health", "")));
    Respond respond = pending.get_future().get();
    // The answer is computed while the server stops.
    std::thread late([&respond] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        respond({200, "application/json", "{}", {}});
    });
    server->stop(std::chrono::milliseconds(5000));
    late.join();
    EXPECT_EQ(client.receive().status, 200);
    EXPECT_EQ(connectLoopback(port), -1);
}

// Connections that arrive between bind and start wait for the handler instead of meeting none.
TEST_F(HttpsServerTest, ConnectionsBeforeStartAreServedOnceItStarts) {
    server->stop();
    const auto ca = tls::makeCertificateAuthority("test CA", 1);
    const auto cert = tls::issueServerCertificate(ca, {"127.0.0.1"}, 1);
    ServerOptions options;
    options.port = 0;
    options.certificatePem = cert.certificatePem;
    options.keyPem = cert.keyPem;
    HttpsServer later(loop, options, [](const std::string&) {});
    const std::uint16_t boundPort = later.bind();
    std::future<int> status = std::async(std::launch::async, [&] {
        return request(boundPort, ca.certificatePem, http("GET", "/health", "")).status;
    });
    EXPECT_EQ(status.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
    later.start([](HttpRequest, Respond respond) { respond({204, "application/json", "", {}}); });
    EXPECT_EQ(status.get(), 204);
}

} // namespace
