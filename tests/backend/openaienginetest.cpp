#include "openaiengine.h"

#include "backendworld.h"
#include "testhttpsserver.h"

#include <future>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace backend;
using nlohmann::json;
using Steady = std::chrono::steady_clock;

namespace {

const std::string choice = R"({"choices":[{"message":{"role":"assistant","content":"Sum."}}]})";
const std::string completions = "/v1/chat/completions";

EngineResult await(const std::function<void(Engine::Done)>& start) {
    auto result = std::make_shared<std::promise<EngineResult>>();
    start([result](EngineResult r) { result->set_value(std::move(r)); });
    return result->get_future().get();
}

std::string errorOf(const EngineResult& result) {
    const auto* failure = std::get_if<EngineError>(&result);
    return failure ? failure->what() : "no error but: " + std::get<std::string>(result);
}

// A scripted OpenAI-compatible model server on 127.0.0.1.
class OpenAiEngineTest : public testing::Test {
protected:
    EventLoop loop{2};
    TestHttpsServer model;

    OpenAiOptions options(std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        return {model.baseUrl() + "/", "tiny", "sk-test", timeout,
                model.certificateAuthorityFile().string()};
    }
};

TEST_F(OpenAiEngineTest, ForwardsTheMessageAndReturnsTheFirstChoice) {
    model.on(completions, ScriptedReply{200, choice});
    OpenAiEngine engine(loop, options());
    for (int i = 0; i < 3; ++i) {
        const EngineResult result =
            await([&](Engine::Done done) { engine.summarize("The review is on Friday.", done); });
        ASSERT_EQ(std::get<std::string>(result), "Sum.");
    }
    const auto received = model.requestsTo(completions);
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0].header("authorization"), "Bearer sk-test");
    const json sent = json::parse(received[0].body);
    EXPECT_EQ(sent["model"], "tiny");
    EXPECT_NE(sent["messages"][1]["content"].get<std::string>().find("Friday"), std::string::npos);
}

TEST_F(OpenAiEngineTest, BrokenModelServersFailWithinTheTimeout) {
    const auto timeout = std::chrono::milliseconds(400);
    using F = ScriptedReply::Fault;
    const std::string noChoice = "the engine's answer has no choices[0].message.content text";
    const std::vector<std::pair<ScriptedReply, std::string>> cases = {
        {{500, R"({"error":"overloaded"})"}, "the engine answered status 500"},
        {{200, "<html><body>Gateway</body></html>", "text/html"}, noChoice},
        {{200, R"({"choices":[]})"}, noChoice},
        {{200, std::string(10 << 20, ' ') + choice}, "the answer is too large"},
        {{200, choice, "application/json", std::chrono::milliseconds(1500)}, "timed out"},
        {{200, choice, "application/json", {}, F::StallMidBody}, "timed out"},
        {{200, choice, "application/json", {}, F::NeverAnswer}, "timed out"},
        {{200, choice, "application/json", {}, F::DropConnection}, "stream truncated"},
        {{200, choice, "application/json", {}, F::TruncateBody}, "stream truncated"},
    };
    for (const auto& [reply, error] : cases) {
        model.on(completions, reply);
        OpenAiEngine engine(loop, options(timeout));
        const auto start = Steady::now();
        const EngineResult result =
            await([&](Engine::Done done) { engine.reply("Hi.", "Ann", done); });
        EXPECT_EQ(errorOf(result), error) << reply.body.substr(0, 40);
        EXPECT_LT(Steady::now() - start, timeout + std::chrono::milliseconds(300)) << error;
    }
    // A port that nobody listens on any more.
    OpenAiOptions refused = options(timeout);
    {
        TestHttpsServer gone;
        refused.url = gone.baseUrl();
    }
    OpenAiEngine engine(loop, refused);
    EXPECT_EQ(errorOf(await([&](Engine::Done done) { engine.chat("Hi.", "?", done); })),
              "Connection refused");
}

TEST_F(OpenAiEngineTest, UntrustedCertificateIsRefused) {
    model.on(completions, ScriptedReply{200, choice});
    OpenAiOptions o = options();
    o.caFile.clear();
    OpenAiEngine untrusted(loop, o);
    EXPECT_NE(errorOf(await([&](Engine::Done done) { untrusted.summarize("Hi.", done); })),
              "no error but: Sum.");
}

TEST_F(OpenAiEngineTest, CallsBeyondTheConcurrencyQueueAndBeyondTheQueueAreRefusedAtOnce) {
    model.on(completions,
             ScriptedReply{200, choice, "application/json", std::chrono::milliseconds(300)});
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
    EXPECT_EQ(model.requests().size(), 2u);
}

// Model calls wait on the event loop: with both workers' worth of calls stalled, the API
// still answers, and each stalled call ends as a 502 with a JSON error.
TEST_F(OpenAiEngineTest, StalledModelCallsHoldNoWorker) {
    model.on(
        completions,
        ScriptedReply{200, choice, "application/json", {}, ScriptedReply::Fault::StallMidBody});
    OpenAiEngine engine(loop, options(std::chrono::milliseconds(1500)));
    BackendWorld world(&engine);
    const std::map<std::string, std::string> bearer = {
        {"authorization", "Bearer " + world.signIn()}};
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
