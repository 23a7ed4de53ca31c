// What only a scripted session can give the backend requests. Transport faults, error statuses,
// HTML and empty bodies, arrays, wrong member types and large answers are in the fault matrix,
// over real TLS; the bodies sent are checked where the panel and the chat send them.
#include "api/handleapirequests.h"
#include "chat/chatviewstate.h"
#include "panel/summarizestatemanager.h"
#include "scriptedbackend.h"
#include "stores/chaterrortext.h"

namespace {

ScriptedAnswer ok(const char* body) {
    return ScriptedAnswer::http(200, QByteArray(body));
}
const ScriptedAnswer kNotHttp{std::nullopt, QByteArray(R"({"response":"x"})"), std::nullopt};
const char* const kToken = "0123456789abcdefSECRET";

class RequestsTest : public ScriptedBackendTest {
protected:
    /// Runs `start` against `answers` on `path` until nothing is due, and gives what its
    /// completion got: `describe` of the value, or the error's text and message. What is
    /// scheduled here is summarize's retries only.
    template <typename Value>
    QString outcome(const QString& path, const std::vector<ScriptedAnswer>& answers,
                    const std::function<void(ApiCompletion<Value>)>& start,
                    QString (*describe)(const Value&)) {
        log().clear();
        network().answer(path, answers);
        auto got = std::make_shared<QString>("(no completion)");
        start([got, describe](const ApiResult<Value>& result) {
            const auto* value = std::get_if<Value>(&result);
            const auto* error = std::get_if<ApiError>(&result);
            *got = value ? describe(*value) : error->text() + " " + error->message();
        });
        settle();
        while (const std::optional<double> next = queue().nextDue()) {
            EXPECT_EQ(*next, queue().now() + 2.0) << "retries are 2 s apart, not growing";
            queue().advance(2.0);
            settle();
        }
        EXPECT_FALSE(log().lines().join('\n').contains("SECRET")) << "the token is not logged";
        return *got;
    }
};

TEST_F(RequestsTest, GenerateResponseTurnsEveryAnswerIntoItsReplyOrErrorText) {
    for (const auto& [answer, got] :
         {std::pair{ScriptedAnswer::http(299, R"({"response":"Yes.","x":1})"), "<m@x> Yes."},
          {kNotHttp, "invalidResponse Invalid response received from the server."}}) {
        EXPECT_EQ(outcome<GeneratedResponse>(
                      "/api/v1/response", {answer},
                      [this](auto done) {
                          backend().generateResponse(QUrl(base + "/api/v1/response"), kToken,
                                                     {"<m@x>", "Meet?", "me@x"}, "<m@x>", done);
                      },
                      [](const GeneratedResponse& r) { return r.messageId + " " + r.response; })
                      .toStdString(),
                  got);
        EXPECT_TRUE(log().lines().isEmpty());
    }
    EXPECT_EQ(network().requests().size(), 2U) << "never retried";
}

TEST_F(RequestsTest, SummarizeRetriesEveryFailureAfterOneUserCheck) {
    const auto summarize = [this](const std::vector<ScriptedAnswer>& answers,
                                  const std::function<bool()>& stillSignedIn) {
        return outcome<SummarizedResponse>(
            "/api/v1/summarize", answers,
            [&](auto done) {
                backend().summarize(QUrl(base + "/api/v1/summarize"), base + "/api/v1/me", kToken,
                                    {"Review it.", "me@x"}, "abc", {}, stillSignedIn, done);
            },
            [](const SummarizedResponse& summary) {
                return summary.messageId + ": " + summary.response;
            });
    };
    EXPECT_EQ(summarize({ScriptedAnswer::transportError("connection reset"), kNotHttp, ok("<html>"),
                         ok(R"({"response":"Done."})")},
                        {}),
              "abc: Done.");
    EXPECT_EQ(log().linesStartingWith("Retrying request, attempt ").size(), 3);
    EXPECT_EQ(network().requestsTo("/api/v1/summarize").size(), 4U);
    EXPECT_EQ(network().requestsTo("/api/v1/me").size(), 1U) << "the user check is not repeated";

    // A sign-out between two attempts ends the call: the token is not sent again.
    auto checks = std::make_shared<int>(0);
    const QString signedOut = summarize({ScriptedAnswer::transportError("connection reset")},
                                        [checks] { return ++*checks < 2; });
    EXPECT_TRUE(signedOut.startsWith("invalidResponse")) << signedOut.toStdString();
    EXPECT_EQ(network().requestsTo("/api/v1/summarize").size(), 5U);
}

TEST_F(RequestsTest, AStartedChatNeedsBothIdsAndItsTokenIsNotLogged) {
    const QString got = outcome<ChatStartResponse>(
        "/api/v1/chat/start", {ok(R"({"response":{"assistantId":"a"}})")},
        [this](auto done) {
            backend().startChat(QUrl(base + "/api/v1/chat/start"), kToken,
                                {.email = "me@x", .email_content = "Meet?"}, done);
        },
        [](const ChatStartResponse&) { return QStringLiteral("started"); });
    EXPECT_TRUE(got.startsWith("invalidData The 'assistantId' or 'threadId' key"))
        << got.toStdString();
    EXPECT_TRUE(log().contains("Start chat access_token: 0123… (22 characters)"));
}

// Neither leaves a spinner running, and neither adds a line to what the request logged.
TEST_F(RequestsTest, ARefusedSummaryCheckAndAChatAnswerWithoutBodyEndTheirProgress) {
    answer("/api/v1/me", 401, R"({"detail":"token refused"})");
    SummarizeStateManager summary(*window_);
    summary.summarizeFromPanel();
    settle();
    EXPECT_FALSE(summary.isSummarizeLoading());
    EXPECT_TRUE(window_->requestFailed) << "the panel offers Summarize again";
    EXPECT_TRUE(network().requestsTo("/api/v1/summarize").empty());
    EXPECT_EQ(log().lines().last(), "Email or name not found in response");

    log().clear();
    network().answer("/api/v1/chat/start", ScriptedAnswer::http(200, std::nullopt));
    ChatViewState chat(*window_);
    chat.setNewMessageText("When?");
    chat.submitMessage();
    settle();
    EXPECT_FALSE(chat.isLoading());
    EXPECT_EQ(window_->chatError().text(), QString("Something went wrong, please try again"));
    EXPECT_TRUE(log().lines().last().startsWith("Start chat body: "));
}

TEST_F(RequestsTest, NothingIsSentToAnInvalidUrlAndTheVersionIsOneQueryValue) {
    log().clear();
    int failures = 0;
    const auto failed = [&failures](const auto& result) {
        failures += std::holds_alternative<ApiError>(result) ? 1 : 0;
    };
    backend().fetchUserDetails("not a url", "tok", failed);
    backend().checkForNewVersion("::not a url", "1.0", failed);
    settle();
    EXPECT_EQ(log().lines(), (QStringList{"Invalid URL", "Invalid URL"}));
    EXPECT_EQ(failures, 2);
    EXPECT_TRUE(network().requests().empty());

    backend().checkForNewVersion(base + "/api/v1/apple-version?x=1", "1.0 beta+1&x", {});
    settle();
    ASSERT_EQ(network().requests().size(), 1U);
    EXPECT_EQ(network().requests()[0].url.toString(QUrl::FullyEncoded),
              base + "/api/v1/apple-version?currentVersion=1.0%20beta%2B1%26x");
}

} // namespace
