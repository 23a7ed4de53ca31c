#include "openaiengine.h"

#include "certificateauthority.h"
#include "httpsserver.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>

using namespace backend;
using nlohmann::json;

namespace {

// A small OpenAI-compatible server on 127.0.0.1 whose answer each test scripts.
class OpenAiEngineTest : public testing::Test {
protected:
    std::filesystem::path caFile = std::filesystem::temp_directory_path() /
                                   ("qv-openai-ca-" + std::to_string(::getpid()) + ".pem");
    std::mutex mutex;
    HttpResponse scripted{200, "application/json", "", {}};
    std::chrono::milliseconds delay{0};
    std::vector<HttpRequest> received;
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
        server = std::make_unique<HttpsServer>(
            options,
            [this](const HttpRequest& request) {
                std::chrono::milliseconds wait;
                HttpResponse answer;
                {
                    std::lock_guard lock(mutex);
                    received.push_back(request);
                    wait = delay;
                    answer = scripted;
                }
                std::this_thread::sleep_for(wait);
                return answer;
            },
            [](const std::string&) {});
        port = server->start();
    }
    void TearDown() override {
        server->stop();
        std::filesystem::remove(caFile);
    }

    OpenAiEngine engine(std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        return OpenAiEngine({"https://127.0.0.1:" + std::to_string(port) + "/", "tiny", "sk-test",
                             timeout, caFile.string()});
    }
};

TEST_F(OpenAiEngineTest, ForwardsTheMessageAndReturnsTheFirstChoice) {
    scripted.body =
        json{{"choices", {{{"message", {{"role", "assistant"}, {"content", "Sum."}}}}}}}.dump();
    EXPECT_EQ(engine().summarize("The review is on Friday."), "Sum.");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].target, "/v1/chat/completions");
    EXPECT_EQ(received[0].headers["authorization"], "Bearer sk-test");
    const json sent = json::parse(received[0].body);
    EXPECT_EQ(sent["model"], "tiny");
    EXPECT_NE(sent["messages"][1]["content"].get<std::string>().find("Friday"), std::string::npos);
}

TEST_F(OpenAiEngineTest, ErrorsAndMalformedAnswersBecomeEngineErrors) {
    scripted = {500, "application/json", R"({"error":"overloaded"})", {}};
    EXPECT_THROW((void)engine().reply("Hi.", "Ann"), EngineError);
    scripted = {200, "application/json", R"({"choices":[]})", {}};
    EXPECT_THROW((void)engine().chat("Hi.", "What?"), EngineError);
    scripted = {200, "text/plain", "not json", {}};
    EXPECT_THROW((void)engine().summarize("Hi."), EngineError);
}

TEST_F(OpenAiEngineTest, SlowEngineTimesOut) {
    delay = std::chrono::milliseconds(1500);
    scripted.body = R"({"choices":[{"message":{"content":"late"}}]})";
    const auto start = std::chrono::steady_clock::now();
    try {
        (void)engine(std::chrono::milliseconds(300)).summarize("Hi.");
        FAIL() << "no timeout";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.message, "timed out");
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1400));
}

TEST_F(OpenAiEngineTest, UntrustedCertificateIsRefused) {
    scripted.body = R"({"choices":[{"message":{"content":"x"}}]})";
    OpenAiEngine untrusted(
        {"https://127.0.0.1:" + std::to_string(port), "tiny", "", std::chrono::seconds(5), ""});
    EXPECT_THROW((void)untrusted.summarize("Hi."), EngineError);
}

} // namespace
