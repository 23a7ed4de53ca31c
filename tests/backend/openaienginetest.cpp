#include "openaiengine.h"

#include "backendworld.h"
#include "certificateauthority.h"
#include "httpsserver.h"

#include <arpa/inet.h>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <netinet/in.h>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace backend;
using nlohmann::json;
using Steady = std::chrono::steady_clock;

namespace {

const std::string choice = R"({"choices":[{"message":{"role":"assistant","content":"Sum."}}]})";

// A plain-HTTP server on 127.0.0.1 that announces a body, sends a few bytes of it and then
// holds every connection open and silent.
class StallingServer {
public:
    StallingServer() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), size);
        ::listen(fd_, 64);
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~StallingServer() {
        stop_ = true;
        thread_.join();
        for (const int fd : held_) {
            ::close(fd);
        }
        ::close(fd_);
    }
    [[nodiscard]] std::string url() const { return "http://127.0.0.1:" + std::to_string(port_); }

private:
    void serve() {
        while (!stop_) {
            pollfd events{fd_, POLLIN, 0};
            if (::poll(&events, 1, 20) <= 0) {
                continue;
            }
            const int client = ::accept(fd_, nullptr, nullptr);
            char buffer[65536];
            std::string request;
            for (int i = 0; i < 100 && request.find("\r\n\r\n") == std::string::npos; ++i) {
                const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
                if (n <= 0) {
                    break;
                }
                request.append(buffer, static_cast<std::size_t>(n));
            }
            const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
                                     "Content-Length: 1000\r\n\r\n{\"choi";
            (void)::send(client, head.data(), head.size(), MSG_NOSIGNAL);
            held_.push_back(client);
        }
    }

    int fd_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_ = false;
    std::vector<int> held_;
    std::thread thread_;
};

EngineResult await(const std::function<void(Engine::Done)>& start) {
    auto result = std::make_shared<std::promise<EngineResult>>();
    start([result](EngineResult r) { result->set_value(std::move(r)); });
    return result->get_future().get();
}

std::string errorOf(const EngineResult& result) {
    const auto* failure = std::get_if<EngineError>(&result);
    return failure ? failure->what() : "no error but: " + std::get<std::string>(result);
}

// A small OpenAI-compatible HTTPS server on 127.0.0.1 whose answer each test scripts; a delay
// is waited on a thread of its own, so that slow answers overlap.
class OpenAiEngineTest : public testing::Test {
protected:
    std::filesystem::path caFile = std::filesystem::temp_directory_path() /
                                   ("qv-openai-ca-" + std::to_string(::getpid()) + ".pem");
    EventLoop loop{2};
    std::mutex mutex;
    HttpResponse scripted{200, "application/json", choice, {}};
    std::chrono::milliseconds delay{0};
    std::vector<HttpRequest> received;
    std::vector<std::thread> delayed;
    std::unique_ptr<HttpsServer> server;
    std::uint16_t port = 0;

    void SetUp() override {
        const auto ca = tls::makeCertificateAuthority("test CA", 1);
        const auto cert = tls::issueServerCertificate(ca, {"127.0.0.1"}, 1);
        std::ofstream(caFile) << ca.certificatePem;
        ServerOptions options;
        options.port = 0;
        options.certificatePem = cert.certificatePem;
        options.keyPem = cert.keyPem;
        server = std::make_unique<HttpsServer>(loop, options, [](const std::string&) {});
        port = server->bind();
        server->start([this](HttpRequest request, Respond respond) {
            const std::lock_guard lock(mutex);
            received.push_back(request);
            delayed.emplace_back([wait = delay, answer = scripted, respond] {
                std::this_thread::sleep_for(wait);
                respond(answer);
            });
        });
    }
    void TearDown() override {
        for (auto& thread : delayed) {
            thread.join();
        }
        server->stop();
        std::filesystem::remove(caFile);
    }

    OpenAiOptions options(std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        return {"https://127.0.0.1:" + std::to_string(port) + "/", "tiny", "sk-test", timeout,
                caFile.string()};
    }
};

TEST_F(OpenAiEngineTest, ForwardsTheMessageAndReturnsTheFirstChoice) {
    OpenAiEngine engine(loop, options());
    for (int i = 0; i < 3; ++i) {
        const EngineResult result =
            await([&](Engine::Done done) { engine.summarize("The review is on Friday.", done); });
        ASSERT_EQ(std::get<std::string>(result), "Sum.");
    }
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0].target, "/v1/chat/completions");
    EXPECT_EQ(received[0].headers["authorization"], "Bearer sk-test");
    const json sent = json::parse(received[0].body);
    EXPECT_EQ(sent["model"], "tiny");
    EXPECT_NE(sent["messages"][1]["content"].get<std::string>().find("Friday"), std::string::npos);
}

TEST_F(OpenAiEngineTest, BrokenModelServersFailWithinTheTimeout) {
    const auto timeout = std::chrono::milliseconds(400);
    StallingServer stalling;
    const int closed = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(closed, reinterpret_cast<sockaddr*>(&address), size);
    ::getsockname(closed, reinterpret_cast<sockaddr*>(&address), &size);
    const std::string refusing = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    struct Case {
        std::string name;
        HttpResponse answer;
        std::chrono::milliseconds delay;
        std::string url;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"status",
         {500, "application/json", R"({"error":"overloaded"})", {}},
         {},
         "",
         "the engine answered status 500"},
        {"html",
         {200, "text/html", "<html><body>Gateway</body></html>", {}},
         {},
         "",
         "the engine's answer has no choices[0].message.content text"},
        {"no choices",
         {200, "application/json", R"({"choices":[]})", {}},
         {},
         "",
         "the engine's answer has no choices[0].message.content text"},
        {"10 MB",
         {200, "application/json", std::string(10 << 20, ' ') + choice, {}},
         {},
         "",
         "the answer is too large"},
        {"slow",
         {200, "application/json", choice, {}},
         std::chrono::milliseconds(1500),
         "",
         "timed out"},
        {"stalls mid-body", {}, {}, stalling.url(), "timed out"},
        {"refuses", {}, {}, refusing, "Connection refused"},
    };
    for (const Case& c : cases) {
        scripted = c.answer;
        delay = c.delay;
        OpenAiOptions o = options(timeout);
        o.url = c.url.empty() ? o.url : c.url;
        OpenAiEngine engine(loop, o);
        const auto start = Steady::now();
        const EngineResult result =
            await([&](Engine::Done done) { engine.reply("Hi.", "Ann", done); });
        EXPECT_EQ(errorOf(result), c.error) << c.name;
        EXPECT_LT(Steady::now() - start, timeout + std::chrono::milliseconds(300)) << c.name;
    }
    ::close(closed);
}

TEST_F(OpenAiEngineTest, UntrustedCertificateIsRefused) {
    OpenAiOptions o = options();
    o.caFile.clear();
    OpenAiEngine untrusted(loop, o);
    EXPECT_NE(errorOf(await([&](Engine::Done done) { untrusted.summarize("Hi.", done); })),
              "no error but: Sum.");
}

TEST_F(OpenAiEngineTest, CallsBeyondTheConcurrencyQueueAndBeyondTheQueueAreRefusedAtOnce) {
    delay = std::chrono::milliseconds(300);
    OpenAiOptions o = options();
    o.concurrency = 1;
    o.queueLimit = 1;
    OpenAiEngine engine(loop, o);
    std::vector<std::future<EngineResult>> results;
    for (int i = 0; i < 3; ++i) {
        auto promise = std::make_shared<std::promise<EngineResult>>();
        results.push_back(promise->get_future());
        engine.chat("Lunch is at noon.", "When?",
                    [promise](EngineResult r) { promise->set_value(std::move(r)); });
    }
    ASSERT_EQ(results[2].wait_for(std::chrono::milliseconds(0)), std::future_status::ready);
    const EngineResult refused = results[2].get();
    ASSERT_TRUE(std::holds_alternative<EngineError>(refused));
    EXPECT_EQ(std::get<EngineError>(refused).kind(), EngineError::Kind::Busy);
    // The queued call starts only once the first is answered.
    EXPECT_EQ(std::get<std::string>(results[0].get()), "Sum.");
    EXPECT_EQ(std::get<std::string>(results[1].get()), "Sum.");
}

// Model calls wait on the event loop: with both workers' worth of calls stalled, the API
// still answers, and each stalled call ends as a 502 with a JSON error.
TEST_F(OpenAiEngineTest, StalledModelCallsHoldNoWorker) {
    StallingServer stalling;
    OpenAiOptions o = options(std::chrono::milliseconds(1500));
    o.url = stalling.url();
    OpenAiEngine engine(loop, o);
    BackendWorld world("qv-openai-router-", {}, &engine);
    const std::string id =
        json::parse(world.call({"GET", "/plugin-auth/session-request/", {}, "", ""}).body)["id"];
    (void)world.auth->login(id, "ann@example.org", "pw", "");
    const std::map<std::string, std::string> bearer = {
        {"authorization", "Bearer " + world.auth->poll(id).token}};
    std::vector<std::future<HttpResponse>> replies;
    for (int i = 0; i < 8; ++i) {
        replies.push_back(std::async(std::launch::async, [&] {
            return world.call({"POST", "/api/v1/response", bearer, R"({"content":"Hi?"})", ""});
        }));
    }
    EXPECT_EQ(world.call({"GET", "/api/v1/me", bearer, "", ""}).status, 200);
    EXPECT_EQ(replies[0].wait_for(std::chrono::milliseconds(0)), std::future_status::timeout);
    for (auto& reply : replies) {
        const HttpResponse answer = reply.get();
        EXPECT_EQ(answer.status, 502);
        EXPECT_EQ(json::parse(answer.body)["error"], "engine failed: timed out");
    }
}

} // namespace
