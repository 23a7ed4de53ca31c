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

class RequestsTest : public ScriptedBackendTest {
protected:
    /// Runs `start` against `answers` on `path` until nothing is due, and gives what the
    /// completion got. What is scheduled here is summarize's retries only.
    QString outcome(const QString& path, const std::vector<ScriptedAnswer>& answers,
                    const std::function<void(std::function<void(QString)>)>& start) {
        log().clear();
        network().answer(path, answers);
        auto got = std::make_shared<QString>("(no completion)");
        start([got](const QString& text) { *got = text; });
        settle();
        while (const std::optional<double> next = queue().nextDue()) {
            EXPECT_EQ(*next, queue().now() + 2.0) << "retries are 2 s apart, not growing";
            queue().advance(2.0);
            settle();
        }
        return *got;
    }
};

TEST_F(RequestsTest, GenerateResponseTurnsEveryAnswerIntoItsReplyOrErrorText) {
    const struct {
        ScriptedAnswer answer;
        QString outcome;
    } rows[] = {
        {ScriptedAnswer::http(299, R"({"response":"Yes.","x":1})"), "<m@x> Yes."},
        {kNotHttp, "Invalid response received from the server."},
    };
    for (const auto& row : rows) {
        const QString got = outcome("/api/v1/response", {row.answer}, [this](auto done) {
            backend().generateResponse(
                QUrl(base + "/api/v1/response"), "tok", {"<m@x>", "Meet?", "me@x"}, "<m@x>",
                [done](const ApiResult<GeneratedResponse>& result) {
                    const auto* reply = std::get_if<GeneratedResponse>(&result);
                    done(reply ? reply->messageId + " " + reply->response
                               : std::get<ApiError>(result).message());
                });
        });
        EXPECT_EQ(got, row.outcome);
        EXPECT_TRUE(log().lines().isEmpty()) << "generateResponse logs nothing";
    }
    EXPECT_EQ(network().requests().size(), std::size(rows)) << "never retried";
}

TEST_F(RequestsTest, SummarizeRetriesEveryFailureAfterOneUserCheck) {
    const QString got =
        outcome("/api/v1/summarize",
                {ScriptedAnswer::transportError("connection reset"), kNotHttp, ok("<html>"),
                 ok(R"({"response":"Done."})")},
                [this](auto done) {
                    backend().summarize(QUrl(base + "/api/v1/summarize"), base + "/api/v1/me",
                                        "tok", {"Review it.", "me@x"}, "abc", {},
                                        [done](const ApiResult<SummarizedResponse>& result) {
                                            const auto& summary =
                                                std::get<SummarizedResponse>(result);
                                            done(summary.messageId + ": " + summary.response);
                                        });
                });
    EXPECT_EQ(got, "abc: Done.");
    EXPECT_EQ(log().linesStartingWith("Retrying request, attempt ").size(), 3);
    EXPECT_EQ(network().requestsTo("/api/v1/summarize").size(), 4U);
    EXPECT_EQ(network().requestsTo("/api/v1/me").size(), 1U) << "the user check is not repeated";
}

// Neither leaves a spinner running, and neither adds a line to what the request logged.
TEST_F(RequestsTest, ARefusedSummaryCheckAndAChatAnswerWithoutBodyEndTheirProgress) {
    answer("/api/v1/me", 401, R"({"detail":"token refused"})");
    SummarizeStateManager summary(*window_);
    summary.summarizeFromPanel();
    settle();
    EXPECT_FALSE(summary.isSummarizeLoading());
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

TEST_F(RequestsTest, AStartedChatNeedsBothIdsAndItsTokenIsNotLogged) {
    const QString got = outcome(
        "/api/v1/chat/start", {ok(R"({"response":{"assistantId":"a"}})")}, [this](auto done) {
            backend().startChat(QUrl(base + "/api/v1/chat/start"), "0123456789abcdefSECRET",
                                {.email = "me@x", .email_content = "Meet?"},
                                [done](const ApiResult<ChatStartResponse>& result) {
                                    const auto* error = std::get_if<ApiError>(&result);
                                    done(error ? error->text() : "started");
                                });
        });
    EXPECT_EQ(got, "invalidData");
    EXPECT_TRUE(log().contains("Start chat access_token: 0123… (22 characters)"));
    EXPECT_FALSE(log().lines().join('\n').contains("SECRET"));
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
