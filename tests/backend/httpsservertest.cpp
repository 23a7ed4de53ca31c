#include "httpsserver.h"

#include "certificateauthority.h"
#include "extractiveengine.h"
#include "manualclock.h"
#include "router.h"

#include <arpa/inet.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <nlohmann/json.hpp>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace backend;
using nlohmann::json;

namespace {

int connectTo(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    timeval timeout{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    return fd;
}

struct Answer {
    int status = 0;
    std::string body;
};

// One HTTPS request on a fresh connection that verifies the server against `caPem`.
Answer request(std::uint16_t port, const std::string& caPem, const std::string& raw) {
    SSL_CTX* ctx = SSL_CTX_new(TLS_client_method());
    BIO* bio = BIO_new_mem_buf(caPem.data(), static_cast<int>(caPem.size()));
    X509* ca = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr);
    X509_STORE_add_cert(SSL_CTX_get_cert_store(ctx), ca);
    SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, nullptr);
    SSL* ssl = SSL_new(ctx);
    const int fd = connectTo(port);
    SSL_set_fd(ssl, fd);
    SSL_set1_host(ssl, "127.0.0.1");
    Answer answer;
    if (SSL_connect(ssl) == 1 && SSL_write(ssl, raw.data(), static_cast<int>(raw.size())) > 0) {
        std::string response;
        char buffer[4096];
        int n = 0;
        while ((n = SSL_read(ssl, buffer, sizeof buffer)) > 0) {
            response.append(buffer, static_cast<std::size_t>(n));
        }
        if (response.size() > 12) {
            answer.status = std::stoi(response.substr(9, 3));
            const std::size_t split = response.find("\r\n\r\n");
            answer.body = split == std::string::npos ? "" : response.substr(split + 4);
        }
    }
    SSL_free(ssl);
    ::close(fd);
    X509_free(ca);
    BIO_free(bio);
    SSL_CTX_free(ctx);
    return answer;
}

std::string http(const std::string& method, const std::string& target, const std::string& body,
                 const std::string& token = "") {
    return method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" +
           (token.empty() ? "" : "Authorization: Bearer " + token + "\r\n") +
           "Content-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
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
        const Answer session =
            request(port, caPem, http("GET", "/plugin-auth/session-request/", ""));
        const std::string id = json::parse(session.body)["id"];
        const std::string form = "session=" + id + "&email=ann%40example.org&password=pw";
        EXPECT_EQ(request(port, caPem, http("POST", "/plugin-auth/login", form)).status, 200);
        const Answer poll =
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
    const Answer me = request(port, caPem, http("GET", "/api/v1/me", "", token));
    EXPECT_EQ(me.status, 200);
    EXPECT_EQ(json::parse(me.body)["email"], "ann@example.org");
    EXPECT_EQ(request(port, caPem, http("GET", "/api/v1/me", "")).status, 401);
    const Answer summary = request(
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
        idle.push_back(connectTo(port));
    }
    // A truncated handshake: a few bytes of a ClientHello, then silence.
    const int truncated = connectTo(port);
    ASSERT_EQ(::send(truncated, "\x16\x03\x01\x00", 4, 0), 4);
    EXPECT_EQ(request(port, caPem, http("GET", "/health", "")).status, 200);
    for (const int fd : idle) {
        ::close(fd);
    }
    ::close(truncated);
    EXPECT_EQ(request(port, caPem, http("GET", "/health", "")).status, 200);
}

} // namespace
