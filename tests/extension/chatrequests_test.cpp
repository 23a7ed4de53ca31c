#include "backendfixture.h"
#include "handleapirequests.h"

#include <future>

namespace {

class ChatRequestsTest : public BackendFixture {
protected:
    /// Starts a chat and waits for its completion on the network thread.
    std::optional<ApiResult<ChatStartResponse>> start(const QString& token = "tok") {
        auto done = std::make_shared<std::promise<ApiResult<ChatStartResponse>>>();
        HandleApiRequests::startChat(QUrl(url("/api/v1/chat/start")), token,
                                     {"me@example.com", "plugin_apple", "v1.0.0", "Can we meet?"},
                                     [done](auto result) { done->set_value(std::move(result)); });
        return wait(done->get_future());
    }
    std::optional<ApiResult<ChatResponse>> send() {
        auto done = std::make_shared<std::promise<ApiResult<ChatResponse>>>();
        HandleApiRequests::sendChatMessage(
            QUrl(url("/api/v1/chat/send")), "tok",
            {"asst_1", "thread_1", "me@example.com", "When?"},
            [done](auto result) { done->set_value(std::move(result)); });
        return wait(done->get_future());
    }
    template <typename T> static std::optional<T> wait(std::future<T> future) {
        if (future.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
            return std::nullopt;
        }
        return future.get();
    }
    template <typename T> static ApiError errorOf(const std::optional<ApiResult<T>>& result) {
        EXPECT_TRUE(result.has_value()) << "no completion";
        EXPECT_TRUE(result && std::holds_alternative<ApiError>(*result)) << "not a failure";
        return result && std::holds_alternative<ApiError>(*result) ? std::get<ApiError>(*result)
                                                                   : ApiError::invalidResponse();
    }
};

const QString kIdsMissing = QStringLiteral("The 'assistantId' or 'threadId' key does not exist or "
                                           "is not a string within the 'response' object.");

TEST_F(ChatRequestsTest, StartSendsItsBodyWithoutAcceptAndLogsItRedacted) {
    server_.on("/api/v1/chat/start",
               ScriptedReply{200, R"({"response":{"assistantId":"asst_1","threadId":"th_9"}})"});
    const QString token = QStringLiteral("0123456789abcdefSECRET");

    const auto result = start(token);

    ASSERT_TRUE(result && std::holds_alternative<ChatStartResponse>(*result));
    EXPECT_EQ(std::get<ChatStartResponse>(*result).assistantId, "asst_1");
    EXPECT_EQ(std::get<ChatStartResponse>(*result).threadId, "th_9");
    const RecordedRequest request = server_.requests().at(0);
    EXPECT_EQ(request.body, R"({"email":"me@example.com","plugin_source":"plugin_apple",)"
                            R"("plugin_version":"v1.0.0","email_content":"Can we meet?"})");
    EXPECT_EQ(request.header("Content-Type"), "application/json");
    EXPECT_EQ(request.header("Authorization"), "Bearer " + token.toStdString());
    EXPECT_NE(request.header("Accept"), "application/json");
    EXPECT_EQ(platform_.log().lines(),
              (QStringList{"Start chat url: " + url("/api/v1/chat/start"),
                           "Start chat access_token: 0123… (22 characters)",
                           R"(Start chat body: ChatStartBody(email: "me@example.com", )"
                           R"(plugin_source: "plugin_apple", plugin_version: "v1.0.0", )"
                           R"(email_content: "Can we meet?"))"}));
}

TEST_F(ChatRequestsTest, StartWithoutBothIdentifiersIsInvalidData) {
    for (const char* body :
         {R"({"response":{"assistantId":"a"}})", R"({"response":"a string"})", R"({"response":{}})",
          R"({"response":{"assistantId":"a","threadId":7}})", "{}"}) {
        platform_.log().clear();
        server_.on("/api/v1/chat/start", ScriptedReply{200, body});
        EXPECT_EQ(errorOf(start()), ApiError::invalidData()) << body;
        EXPECT_EQ(platform_.log().lines().last(), kIdsMissing) << body;
    }
}

TEST_F(ChatRequestsTest, SendSendsItsBodyAndGetsTheAnswer) {
    server_.on("/api/v1/chat/send", ScriptedReply{200, R"({"response":"On Tuesday."})"});
    const auto result = send();
    ASSERT_TRUE(result && std::holds_alternative<ChatResponse>(*result));
    EXPECT_EQ(std::get<ChatResponse>(*result).response, "On Tuesday.");
    EXPECT_EQ(server_.requests().at(0).body,
              R"({"assistantId":"asst_1","threadId":"thread_1","email":"me@example.com",)"
              R"("content":"When?","plugin_source":"plugin_apple","plugin_version":"v1.0.0"})");
    EXPECT_TRUE(platform_.log().lines().isEmpty()) << "send logs nothing on success";
}

TEST_F(ChatRequestsTest, EachFailureBecomesItsErrorAndLogLine) {
    struct Case {
        ScriptedReply reply;
        ApiError error;
        QString line;
        QString text;
    };
    const std::vector<Case> cases{
        {{503, R"({"response":"x"})"},
         ApiError::serverError(503),
         "Server error: 503",
         "serverError(503)"},
        {{200, ""}, ApiError::invalidData(), "Server error. Please try again.", "invalidData"},
        {{200, "<html>"},
         ApiError::invalidData(),
         "Server error. Please try again.",
         "invalidData"},
        {{200, R"("scalar")"},
         ApiError::invalidData(),
         "Failed to cast JSON response to dictionary.",
         "invalidData"},
        {{200, R"({"response":5})"},
         ApiError::invalidData(),
         "The 'response' key does not exist or is not a string.",
         "invalidData"},
    };
    for (const Case& c : cases) {
        platform_.log().clear();
        server_.on("/api/v1/chat/send", c.reply);
        const ApiError error = errorOf(send());
        EXPECT_EQ(error, c.error) << c.line.toStdString();
        EXPECT_EQ(error.text(), c.text);
        EXPECT_EQ(platform_.log().lines(), QStringList{c.line});
    }
}

TEST_F(ChatRequestsTest, ABrokenConnectionIsANetworkError) {
    ScriptedReply truncated{200, R"({"response":"a long answer cut short"})"};
    truncated.fault = ScriptedReply::Fault::TruncateBody;
    server_.on("/api/v1/chat/send", truncated);
    const ApiError error = errorOf(send());
    ASSERT_EQ(error.kind(), ApiError::Kind::networkError);
    EXPECT_EQ(error.text(), "networkError(" + error.transportError().description + ")");
    EXPECT_EQ(platform_.log().lines(),
              QStringList{"Error sending chat request: " + error.transportError().description});
}

} // namespace
