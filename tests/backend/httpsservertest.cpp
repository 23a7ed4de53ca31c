#include "httpsserver.h"

#include "certificateauthority.h"
#include "extractiveengine.h"
#include "loopbackclient.h"
#include "manualclock.h"
#include "router.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/socket.h>
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
                 const std::string& token = "") {
    return LoopbackClient::request(method, target, body, token);
}

class HttpsServerTest : public testing::Test {
protected:
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("qv-https-" + std::to_string(::getpid()));
    ManualClock clock;
    ExtractiveEngine engine;
    std::unique_ptr<Store> store;
    std::unique_ptr<Authenticator> auth;
    std::unique_ptr<Router> router;
    std::unique_ptr<HttpsServer> server;
    std::string caPem;
    std::uint16_t port = 0;

    void SetUp() override {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        store = std::make_unique<Store>(dir / "backend.sqlite");
        auth = std::make_unique<Authenticator>(*store, clock, secrets::ScryptCost{1024, 8, 1});
        auth->addAccount("ann@example.org", "Ann Lee", "pw");
        router = std::make_unique<Router>(*store, *auth, engine, clock, RouterOptions{});
        const auto ca = tls::makeCertificateAuthority("test CA", 1);
        const auto cert = tls::issueServerCertificate(ca, {"127.0.0.1"}, 1);
        caPem = ca.certificatePem;
        ServerOptions options;
        options.port = 0;
        options.certificatePem = cert.certificatePem;
        options.keyPem = cert.keyPem;
        options.readTimeout = std::chrono::seconds(2);
        options.idleTimeout = std::chrono::seconds(2);
        server = std::make_unique<HttpsServer>(
            options, [this](const HttpRequest& r) { return router->handle(r); },
            [](const std::string&) {});
        port = server->start();
    }
    void TearDown() override {
        server->stop();
        std::filesystem::remove_all(dir);
    }

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
    const std::string hugeHeader =
        "GET /health HTTP/1.1\r\nHost: x\r\nX-Big: " + std::string(20000, 'b') + "\r\n\r\n";
    EXPECT_EQ(request(port, caPem, hugeHeader).status, 431);
    EXPECT_EQ(request(port, caPem, "NOT HTTP AT ALL\r\n\r\n").status, 400);
    EXPECT_EQ(request(port, caPem, http("POST", "/api/v1/summarize", "{", token)).status, 400);
}

TEST_F(HttpsServerTest, IdleAndBrokenClientsDoNotStopOthers) {
    std::vector<int> idle;
    for (int i = 0; i < 200; ++i) {
        idle.push_back(connectLoopback(port));
    }
    // A truncated handshake: a few bytes of a ClientHello, then silence.
    const int truncated = connectLoopback(port);
    ASSERT_EQ(::send(truncated, "\x16\x03\x01\x00", 4, 0), 4);
    EXPECT_EQ(request(port, caPem, http("GET", "/health", "")).status, 200);
    for (const int fd : idle) {
        ::close(fd);
    }
    ::close(truncated);
    EXPECT_EQ(request(port, caPem, http("GET", "/health", "")).status, 200);
}

} // namespace
