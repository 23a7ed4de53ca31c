#include "httpsserver.h"

#include "backendworld.h"
#include "beastnet.h"
#include "secrets.h"

#include <atomic>
#include <cstdio>
#include <deque>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <nlohmann/json.hpp>
#include <openssl/ssl.h>
#include <semaphore>
#include <sys/socket.h>
#include <thread>
#include <tuple>

using namespace backend;
using nlohmann::json;
using Steady = std::chrono::steady_clock;
using std::chrono::milliseconds;
using C = LoopbackClient::Connection;

namespace {

const std::string health = LoopbackClient::request("GET", "/health");
const std::string keptAliveHealth = LoopbackClient::request("GET", "/health", "", "", C::KeepAlive);

double secondsSince(Steady::time_point start, Steady::time_point at = Steady::now()) {
    return std::chrono::duration<double>(at - start).count();
}

struct TlsOffer {
    const char* name;
    int version;
    /// TLS 1.2 suites; TLS 1.3 keeps OpenSSL's.
    const char* ciphers;
    bool renegotiates;
    bool accepted;
};

// Handshakes with only what `offer` names, on a blocking socket that gives up after 5 s.
bool handshakes(std::uint16_t port, const TlsOffer& offer) {
    const std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> context(
        SSL_CTX_new(TLS_client_method()), SSL_CTX_free);
    // Level 0 lets this client offer what the server must refuse.
    SSL_CTX_set_security_level(context.get(), 0);
    SSL_CTX_set_min_proto_version(context.get(), offer.version);
    SSL_CTX_set_max_proto_version(context.get(), offer.version);
    if (offer.ciphers != nullptr && SSL_CTX_set_cipher_list(context.get(), offer.ciphers) != 1) {
        ADD_FAILURE() << "this OpenSSL lacks " << offer.ciphers;
        return false;
    }
    asio::io_context io;
    tcp::socket socket(io);
    socket.connect({asio::ip::address_v4::loopback(), port});
    const timeval wait{5, 0};
    ::setsockopt(socket.native_handle(), SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    const std::unique_ptr<SSL, decltype(&SSL_free)> ssl(SSL_new(context.get()), SSL_free);
    SSL_set_fd(ssl.get(), socket.native_handle());
    if (SSL_connect(ssl.get()) != 1) {
        return false;
    }
    return !offer.renegotiates ||
           (SSL_renegotiate(ssl.get()) == 1 && SSL_do_handshake(ssl.get()) == 1);
}

// Short deadlines keep the tests of slow and idle clients short.
class HttpsServerTest : public testing::Test, protected BackendWorld {
protected:
    static constexpr milliseconds deadline{2000};
    void SetUp() override {
        ServerOptions options;
        options.readTimeout = options.keepAliveTimeout = deadline;
        // The slow clients all come from 127.0.0.1.
        options.maxConnectionsPerAddress = options.maxConnections;
        serve(options);
    }
};

// A thousand handshakes and one request that each get a byte every 250 ms: others are served
// meanwhile, and each slow one is dropped at its deadline however often its bytes arrive.
TEST_F(HttpsServerTest, SlowClientsAreDroppedAtTheirDeadlineWhileOthersAreServed) {
    constexpr int slowCount = 1000;
    if (!enoughDescriptors(2 * slowCount + 256)) {
        GTEST_SKIP() << "the hard limit on open files is below " << 2 * slowCount + 256;
    }
    const std::string me = LoopbackClient::request("GET", "/api/v1/me", "", signIn(), C::KeepAlive);
    auto normal = client();
    const auto before = Steady::now();
    auto slowRequest = client();
    SlowClients slow(port, slowCount);
    ASSERT_EQ(slow.trickle(), slowCount);
    Steady::time_point firstDrop, lastDrop;
    std::thread trickle([&] {
        for (std::size_t i = 0; Steady::now() - before < deadline + std::chrono::seconds(20); ++i) {
            const int open = slow.trickle();
            const bool requestDropped = slowRequest.closed();
            if (!requestDropped) {
                (void)slowRequest.write(health.substr(i % health.size(), 1));
            }
            if (firstDrop == Steady::time_point() && (open < slowCount || requestDropped)) {
                firstDrop = Steady::now();
            }
            if (open == 0 && requestDropped) {
                lastDrop = Steady::now();
                return;
            }
            std::this_thread::sleep_for(milliseconds(250));
        }
    });
    int served = 0;
    int failed = 0;
    while (Steady::now() - before < deadline - milliseconds(300)) {
        ++(normal.send(me).status == 200 ? served : failed);
    }
    trickle.join();
    std::printf("%d answers meanwhile; slow clients dropped from %.2f s to %.2f s\n", served,
                secondsSince(before, firstDrop), secondsSince(before, lastDrop));
    EXPECT_GT(served, 0);
    EXPECT_EQ(failed, 0);
    EXPECT_GE(firstDrop - before, deadline - milliseconds(200));
    // All gone while their bytes still came: closing a thousand TLS connections takes the
    // server a few seconds under a sanitizer, so only the window's end bounds it.
    EXPECT_NE(lastDrop, Steady::time_point());
}

TEST_F(HttpsServerTest, AThousandRandomTokensAreAllRefused) {
    constexpr int clients = 4;
    constexpr int each = 250;
    std::atomic<int> refused = 0;
    const auto start = Steady::now();
    {
        std::vector<std::jthread> threads(clients);
        for (std::jthread& thread : threads) {
            thread = std::jthread([&] {
                // Each refusal ends its connection, so each guess needs a new one.
                for (int i = 0; i < each && Steady::now() - start < std::chrono::seconds(60); ++i) {
                    if (client().ask("GET", "/api/v1/me", "", secrets::randomHex(32)).status !=
                        401) {
                        return;
                    }
                    ++refused;
                }
            });
        }
    }
    std::printf("%d refused in %.2f s\n", refused.load(), secondsSince(start));
    EXPECT_EQ(refused, clients * each);
    EXPECT_EQ(client().send(LoopbackClient::request("GET", "/api/v1/me", "", signIn())).status,
              200);
}

// Pipelined requests are answered in order until one ends the connection, as asked or refused;
// nothing after it is served. No answer may be cached: they carry tokens and mail.
TEST_F(HttpsServerTest, PipelinedRequestsAreAnsweredInOrderUntilOneEndsTheConnection) {
    const std::string token = signIn();
    const auto kept = [](const std::string& method, const std::string& target,
                         const std::string& body = "", const std::string& bearer = "") {
        return LoopbackClient::request(method, target, body, bearer, C::KeepAlive);
    };
    const std::string form = "code=none&email=ann%40example.org&password=pw";
    // Each burst is written at once, with keptAliveHealth after it, and gets these answers.
    const std::vector<std::pair<std::string, std::vector<int>>> rows = {
        {LoopbackClient::request("GET", "/plugin-auth/session-request/"), {200}},
        {kept("GET", "/api/v1/me", "", token) + kept("GET", "/nowhere") +
             kept("GET", "/api/v1/me", "", "nope") + health,
         {200, 404, 401}},
        {kept("POST", "/api/v1/summarize", "{", token) + health, {400}},
        // The first body spans several TLS records, the second request arrives with its end.
        {kept("POST", "/api/v1/summarize", json{{"content", mailOfSize(40000)}}.dump(), token) +
             LoopbackClient::request("POST", "/api/v1/summarize", R"({"content":"A b."})", token),
         {200, 200}},
        // A sign-in form is wiped from the read buffer, but not what follows it.
        {"POST /plugin-auth/login HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: "
         "application/x-www-form-urlencoded\r\nContent-Length: " +
             std::to_string(form.size()) + "\r\n\r\n" + form + health,
         {410, 200}},
        // Two lengths would let what a proxy takes for a body pass here as a request.
        {"POST /health HTTP/1.1\r\nHost: x\r\nContent-Length: 5\r\nTransfer-Encoding: "
         "chunked\r\n\r\n0\r\n\r\n",
         {400}},
        {keptAliveHealth +
             "POST /api/v1/summarize HTTP/1.1\r\nHost: x\r\nContent-Length: 2000000\r\n\r\n",
         {200, 413}},
        {"GET /health HTTP/1.1\r\nHost: x\r\nX-Big: " + std::string(20000, 'b') + "\r\n\r\n",
         {431}},
    };
    for (const auto& [burst, statuses] : rows) {
        SCOPED_TRACE(burst.substr(0, 60));
        auto connection = client();
        ASSERT_TRUE(connection.write(burst + keptAliveHealth));
        for (const int status : statuses) {
            LoopbackClient::Answer answer = connection.receive();
            EXPECT_EQ(answer.status, status);
            EXPECT_EQ(answer.headers["cache-control"], "no-store");
            // Only the sign-in page, 410 here, is not JSON.
            if (status != 410) {
                EXPECT_EQ(answer.headers["content-type"], "application/json");
                EXPECT_EQ(json::parse(answer.body, nullptr, false).contains("error"),
                          status >= 400);
            }
        }
        EXPECT_EQ(connection.receive().status, 0);
    }
}

// One address cannot hold every connection: past its cap it is refused while another address
// is served, and a closed connection makes room again.
TEST_F(HttpsServerTest, ConnectionsAreCappedPerClientAddress) {
    ServerOptions options;
    options.maxConnectionsPerAddress = 2;
    serve(options);
    std::optional<LoopbackClient> first(std::in_place, port, caPem);
    auto second = client();
    EXPECT_EQ(first->send(keptAliveHealth).status, 200);
    EXPECT_EQ(second.send(keptAliveHealth).status, 200);
    EXPECT_EQ(client().send(health).status, 0);
    EXPECT_EQ(client("127.0.0.2").send(health).status, 200);
    first.reset();
    int status = 0;
    for (int i = 0; i < 250 && (status = client().send(health).status) == 0; ++i) {
        std::this_thread::sleep_for(milliseconds(20));
    }
    EXPECT_EQ(status, 200);
}

// Attachments make a mail large: it is read while it fits the budget for large bodies, told to
// come back when not, refused past the limit, and only from a signed-in client, so that one
// declaring a length and stalling holds none of the budget.
TEST_F(HttpsServerTest, LargeMailsAreReadWithinTheBudgetForLargeBodies) {
    ServerOptions options;
    options.largeBodyLimit = std::size_t{8} << 20;
    options.largeBodyBudget = std::size_t{5} << 20;
    serve(options);
    const std::string token = signIn();
    const auto declaring = [](std::size_t length, const std::string& bearer) {
        return "POST /api/v1/summarize HTTP/1.1\r\nHost: x\r\n" +
               (bearer.empty() ? "" : "Authorization: Bearer " + bearer + "\r\n") +
               "Content-Length: " + std::to_string(length) + "\r\n\r\n{";
    };
    std::deque<LoopbackClient> stalled;
    for (const std::string& bearer : {std::string(), std::string(64, '0')}) {
        ASSERT_TRUE(
            stalled.emplace_back(port, caPem).write(declaring(std::size_t{5} << 20, bearer)));
    }
    std::string attachment;
    for (int line = 0; line < 40000; ++line) {
        attachment += std::string(76, 'Q') + "\r\n";
    }
    const std::string mail =
        "--b1\r\nContent-Type: text/plain\r\n\r\nThe review moved to Friday at "
        "10:00.\r\n--b1\r\nContent-Type: application/pdf\r\nContent-"
        "Transfer-Encoding: base64\r\n\r\n" +
        attachment + "--b1--\r\n";
    const std::string summarize = LoopbackClient::request(
        "POST", "/api/v1/summarize", json{{"content", mail}}.dump(), token, C::KeepAlive);
    // Twice on one connection: the first gives its share of the budget back once read.
    auto kept = client();
    for (int round = 0; round < 2; ++round) {
        const LoopbackClient::Answer answer = kept.send(summarize);
        EXPECT_EQ(answer.status, 200);
        EXPECT_EQ(answer.body, R"({"response":"The review moved to Friday at 10:00."})");
    }
    for (LoopbackClient& connection : stalled) {
        LoopbackClient::Answer refused = connection.receive();
        EXPECT_EQ(refused.status, 401);
        EXPECT_EQ(refused.body, R"({"error":"missing or invalid access token"})");
        EXPECT_EQ(refused.headers["connection"], "close");
    }
    const std::vector<std::tuple<std::size_t, std::string, int>> declared = {
        {std::size_t{6} << 20, token, 503},
        {std::size_t{6} << 20, "", 401},
        {(std::size_t{8} << 20) + 1, token, 413},
    };
    for (const auto& [length, bearer, status] : declared) {
        LoopbackClient::Answer answer = client().send(declaring(length, bearer));
        EXPECT_EQ(answer.status, status) << length << (bearer.empty() ? "" : " signed in");
        if (status == 503) {
            EXPECT_EQ(answer.headers["retry-after"], "5") << "more than the budget holds";
        }
    }
}

// Renegotiation would let a client make the server work again and again. The test key is an EC
// key, so only ECDSA suites can be offered.
TEST_F(HttpsServerTest, TlsOffersOnlyCurrentVersionsAndAeadSuites) {
    const std::vector<TlsOffer> offers = {
        {"TLS 1.3", TLS1_3_VERSION, nullptr, false, true},
        {"AES-GCM", TLS1_2_VERSION, "ECDHE-ECDSA-AES128-GCM-SHA256", false, true},
        {"ChaCha20-Poly1305", TLS1_2_VERSION, "ECDHE-ECDSA-CHACHA20-POLY1305", false, true},
        {"TLS 1.1", TLS1_1_VERSION, "ECDHE-ECDSA-AES128-SHA", false, false},
        {"CBC with SHA-1", TLS1_2_VERSION, "ECDHE-ECDSA-AES128-SHA", false, false},
        {"CBC with SHA-384", TLS1_2_VERSION, "ECDHE-ECDSA-AES256-SHA384", false, false},
        {"renegotiation", TLS1_2_VERSION, "ECDHE-ECDSA-AES128-GCM-SHA256", true, false},
    };
    for (const TlsOffer& offer : offers) {
        EXPECT_EQ(handshakes(port, offer), offer.accepted) << offer.name;
    }
}

// A kept-alive connection waits for its next request's headers a shorter time than a new one.
TEST_F(HttpsServerTest, KeptAliveConnectionClosesWhenItsNextRequestIsLate) {
    ServerOptions options;
    options.readTimeout = std::chrono::seconds(30);
    options.keepAliveTimeout = milliseconds(300);
    serve(options);
    auto connection = client();
    ASSERT_EQ(connection.send(keptAliveHealth).status, 200);
    std::this_thread::sleep_for(milliseconds(100));
    ASSERT_EQ(connection.send(keptAliveHealth).status, 200);
    const auto idle = Steady::now();
    while (!connection.closed() && Steady::now() - idle < std::chrono::seconds(10)) {
        std::this_thread::sleep_for(milliseconds(20));
    }
    EXPECT_TRUE(connection.closed());
    EXPECT_GE(Steady::now() - idle, milliseconds(250));
}

} // namespace

// A stop writes the answers that come within its grace, and names those it gave up on.
TEST_F(HttpsServerTest, StopWaitsForAnswersInFlightUntilItsGraceEnds) {
    std::mutex mutex;
    std::vector<Respond> pending;
    std::counting_semaphore<> arrived(0);
    serve({}, [&](const HttpRequest&, Respond respond) {
        const std::lock_guard lock(mutex);
        pending.push_back(std::move(respond));
        arrived.release();
    });
    LoopbackClient late = client();
    ASSERT_TRUE(late.write(health));
    ASSERT_TRUE(arrived.try_acquire_for(std::chrono::seconds(5)));
    LoopbackClient never = client();
    ASSERT_TRUE(never.write(health));
    ASSERT_TRUE(arrived.try_acquire_for(std::chrono::seconds(5)));
    auto stopping = std::async(std::launch::async, [this] { server->stop(milliseconds(400)); });
    std::this_thread::sleep_for(milliseconds(100));
    {
        const std::lock_guard lock(mutex);
        ASSERT_EQ(pending.size(), 2u);
        pending.front()(HttpResponse{});
    }
    EXPECT_EQ(late.receive().status, 200);
    EXPECT_EQ(never.receive().status, 0);
    stopping.get();
    EXPECT_EQ(logLines(), std::vector<std::string>{
                              "stopped with 1 answer unwritten after the grace of 400 ms"});
}
