#include "httpsserver.h"

#include "backendworld.h"
#include "secrets.h"

#include <atomic>
#include <cstdio>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <thread>

using namespace backend;
using nlohmann::json;
using Steady = std::chrono::steady_clock;
using std::chrono::milliseconds;
using C = LoopbackClient::Connection;

namespace {

const std::string health = LoopbackClient::request("GET", "/health");

double secondsSince(Steady::time_point start, Steady::time_point at = Steady::now()) {
    return std::chrono::duration<double>(at - start).count();
}

// Short deadlines keep the tests of slow and idle clients short.
class HttpsServerTest : public testing::Test, protected BackendWorld {
protected:
    static constexpr milliseconds deadline{2000};
    void SetUp() override {
        ServerOptions options;
        options.readTimeout = options.idleTimeout = deadline;
        serve(options);
    }
};

// A thousand handshakes that get a byte every quarter of a second, and one request that does the
// same after its handshake: the server answers others meanwhile and drops each slow one at its
// deadline, however often its bytes arrive.
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
        for (std::size_t i = 0; Steady::now() - before < deadline + std::chrono::seconds(8); ++i) {
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

TEST_F(HttpsServerTest, TenThousandRandomTokensAreAllRefused) {
    constexpr int clients = 4;
    constexpr int each = 2500;
    std::atomic<int> refused = 0;
    std::vector<std::thread> threads;
    const auto start = Steady::now();
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&] {
            auto connection = client();
            for (int i = 0; i < each && Steady::now() - start < std::chrono::seconds(60); ++i) {
                const std::string raw = LoopbackClient::request(
                    "GET", "/api/v1/me", "", secrets::randomHex(32), C::KeepAlive);
                if (connection.send(raw).status != 401) {
                    return;
                }
                ++refused;
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    std::printf("%d refused in %.2f s\n", refused.load(), secondsSince(start));
    EXPECT_EQ(refused, clients * each);
    EXPECT_EQ(client().send(LoopbackClient::request("GET", "/api/v1/me", "", signIn())).status,
              200);
}

// A refused request ends its connection: what follows it on the stream, even when it looks
// like a request, is never served.
TEST_F(HttpsServerTest, RefusedRequestIsAnsweredThenTheConnectionCloses) {
    const std::string smuggled = LoopbackClient::request("GET", "/health", "", "", C::KeepAlive);
    const std::vector<std::pair<std::string, int>> cases = {
        {"NOT HTTP AT ALL\r\n\r\n", 400},
        {"POST /api/v1/summarize HTTP/1.1\r\nHost: x\r\nContent-Length: 2000000\r\n\r\n", 413},
        {"GET /health HTTP/1.1\r\nHost: x\r\nX-Big: " + std::string(20000, 'b') + "\r\n\r\n", 431},
    };
    for (const auto& [raw, status] : cases) {
        auto connection = client();
        const LoopbackClient::Answer refused = connection.send(raw + smuggled);
        EXPECT_EQ(refused.status, status);
        EXPECT_TRUE(json::parse(refused.body).contains("error"));
        EXPECT_EQ(connection.receive().status, 0) << status;
    }
}

} // namespace
