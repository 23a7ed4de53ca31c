#include "backendfixture.h"
#include "handleapirequests.h"

#include <future>

namespace {

struct ReplyOutcome {
    std::optional<QString> messageId;
    std::optional<QString> reply;
    std::optional<QString> error;
};

class GenerateResponseTest : public BackendFixture {
protected:
    /// Completions arrive on the network thread; this waits for the only one.
    ReplyOutcome generate(const QString& token = QStringLiteral("tok"),
                          const GenerateResponseBody& body = {"<m@x>", "Can we meet?",
                                                              "me@example.com"}) {
        auto promise = std::make_shared<std::promise<ReplyOutcome>>();
        HandleApiRequests::generateResponse(
            QUrl(url("/api/v1/response")), token, body, QStringLiteral("<m@x>"),
            [promise](auto messageId, auto reply, auto error) {
                promise->set_value(ReplyOutcome{messageId, reply, error});
            });
        auto future = promise->get_future();
        if (future.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
            ADD_FAILURE() << "no completion";
            return {};
        }
        return future.get();
    }

    std::optional<QString> errorFor(ScriptedReply reply) {
        server_.on("/api/v1/response", std::move(reply));
        const ReplyOutcome outcome = generate();
        EXPECT_EQ(outcome.messageId, std::nullopt);
        EXPECT_EQ(outcome.reply, std::nullopt);
        return outcome.error;
    }
};

TEST_F(GenerateResponseTest, SendsTheBodyInMemberOrderAndHandsBackTheReply) {
    server_.on("/api/v1/response", ScriptedReply{200, R"({"response":"Yes, Tuesday.","x":1})"});

    const ReplyOutcome outcome = generate();

    EXPECT_EQ(outcome.messageId, QString("<m@x>"));
    EXPECT_EQ(outcome.reply, QString("Yes, Tuesday."));
    EXPECT_EQ(outcome.error, std::nullopt);
    const RecordedRequest request = server_.requestsTo("/api/v1/response").at(0);
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.body, R"({"messageId":"<m@x>","content":"Can we meet?",)"
                            R"("email":"me@example.com","plugin_source":"plugin_apple",)"
                            R"("plugin_version":"v1.0.0"})");
    std::vector<std::pair<std::string, std::string>> ours;
    for (const auto& [name, value] : request.headers) {
        if (name == "Content-Type" || name == "Accept" || name == "Authorization") {
            ours.emplace_back(name, value);
        }
    }
    EXPECT_EQ(ours, (std::vector<std::pair<std::string, std::string>>{
                        {"Content-Type", "application/json"},
                        {"Accept", "application/json"},
                        {"Authorization", "Bearer tok"}}));
    EXPECT_TRUE(platform_.log().lines().isEmpty()) << "generateResponse logs nothing";
}

TEST_F(GenerateResponseTest, EachFailureBecomesItsTextAndIsSentOnce) {
    EXPECT_EQ(errorFor({401, R"({"detail":"no"})"}), "Server error: 401");
    EXPECT_EQ(errorFor({300, R"({"response":"x"})"}), "Server error: 300");
    EXPECT_EQ(errorFor({200, "<html><body>Bad gateway</body></html>", "text/html"}),
              "Server error! Please try again later.");
    EXPECT_EQ(errorFor({200, ""}), "Server error! Please try again later.");
    const QString noMember =
        QStringLiteral("The 'response' key does not exist or is not a string.");
    EXPECT_EQ(errorFor({200, R"("a lone string")"}), noMember);
    EXPECT_EQ(errorFor({200, "[1,2]"}), noMember);
    EXPECT_EQ(errorFor({200, "{}"}), noMember);
    EXPECT_EQ(errorFor({200, R"({"response":5})"}), noMember);
    EXPECT_EQ(errorFor({200, R"({"response":null})"}), noMember);
    EXPECT_EQ(server_.requestsTo("/api/v1/response").size(), 9U) << "no retries";
}

TEST_F(GenerateResponseTest, BrokenConnectionsAreTransportErrors) {
    ScriptedReply dropped;
    dropped.fault = ScriptedReply::Fault::DropConnection;
    EXPECT_TRUE(errorFor(dropped).value_or("").startsWith("Error sending request: "));
    ScriptedReply truncated{200, R"({"response":"a long answer that is cut in two"})"};
    truncated.fault = ScriptedReply::Fault::TruncateBody;
    EXPECT_TRUE(errorFor(truncated).value_or("").startsWith("Error sending request: "));
}

} // namespace
