#include "apimanager.h"
#include "backendfixture.h"
#include "handleapirequests.h"
#include "summarizemanager.h"

#include <mutex>

namespace {

const char* kMe = R"({"email":"me@example.com","name":"Me"})";
const QString kNoMember = QStringLiteral("The 'response' key does not exist or is not a string.");

class SummarizeTest : public BackendFixture {
protected:
    SummarizeTest() {
        selectDevDeployment();
        SummarizeManager::shared().requestFailed = false;
        server_.on("/api/v1/me", ScriptedReply{200, kMe});
    }

    /// Starts a summary whose completion, as in the panel, moves to the main thread.
    void summarize(const QString& token = QStringLiteral("tok")) {
        HandleApiRequests::summarize(
            QUrl(currentApiUrl() + "/summarize"), token, {"Please review the plan.", "sent@x"},
            QStringLiteral("<m@x>"), [this](auto messageId, auto summary) {
                Platform::current().mainQueue().async([this, messageId, summary] {
                    ++completions_;
                    messageId_ = messageId;
                    summary_ = summary;
                });
            });
    }

    bool waitForCompletion() {
        return platform_.mainQueue().runUntil([this] { return completions_ > 0; });
    }
    /// Waits for the failed send's retry to be scheduled.
    bool waitForRetry() {
        return platform_.mainQueue().runUntil(
            [this] { return platform_.mainQueue().scheduledCount() == 1; });
    }
    [[nodiscard]] QStringList summarizeLines() const {
        QStringList lines;
        for (const QString& line : platform_.log().lines()) {
            if (!line.startsWith("URL:") && !line.startsWith("ACCESS TOKEN:") &&
                !line.startsWith("CURRENT API URL")) {
                lines.append(line);
            }
        }
        return lines;
    }

    int completions_ = 0;
    std::optional<QString> messageId_;
    std::optional<QString> summary_;
};

TEST_F(SummarizeTest, ChecksTheUserThenSendsTheBodyAsHandedIn) {
    server_.on("/api/v1/me", ScriptedReply{200, R"({"email":"other@example.com","name":"O"})"});
    server_.on("/api/v1/summarize", ScriptedReply{200, R"({"response":"A plan review."})"});

    summarize();
    ASSERT_TRUE(waitForCompletion());

    EXPECT_EQ(messageId_, QString("<m@x>"));
    EXPECT_EQ(summary_, QString("A plan review."));
    const std::vector<RecordedRequest> requests = server_.requests();
    ASSERT_EQ(requests.size(), 2U);
    EXPECT_EQ(requests[0].path(), "/api/v1/me");
    EXPECT_EQ(requests[1].path(), "/api/v1/summarize");
    EXPECT_EQ(requests[1].body, R"({"content":"Please review the plan.","email":"sent@x",)"
                                R"("plugin_source":"plugin_apple","plugin_version":"v1.0.0"})");
    EXPECT_EQ(requests[1].header("Accept"), "application/json");
    EXPECT_EQ(requests[1].header("Authorization"), "Bearer tok");
    EXPECT_EQ(UserDetailsManager::shared().email(), "other@example.com");
    EXPECT_EQ(summarizeLines(),
              QStringList{R"(Response from server: {"response":"A plan review."})"});
}

TEST_F(SummarizeTest, FourFailedSendsTwoSecondsApartThenGivesUp) {
    server_.on("/api/v1/summarize", ScriptedReply{500, R"({"error":"busy"})"});

    summarize();
    for (int attempt = 1; attempt <= 3; ++attempt) {
        ASSERT_TRUE(waitForRetry()) << attempt;
        EXPECT_EQ(server_.requestsTo("/api/v1/summarize").size(), std::size_t(attempt));
        const double failedAt = platform_.mainQueue().now();
        EXPECT_EQ(platform_.mainQueue().nextDue(), failedAt + 2.0) << "fixed, not growing";
        platform_.mainQueue().advance(1.5);
        EXPECT_EQ(server_.requestsTo("/api/v1/summarize").size(), std::size_t(attempt))
            << "sent early";
        platform_.mainQueue().advance(0.5);
    }
    ASSERT_TRUE(waitForCompletion());

    EXPECT_EQ(server_.requestsTo("/api/v1/summarize").size(), 4U);
    EXPECT_EQ(platform_.mainQueue().now(), 6.0);
    EXPECT_EQ(messageId_, std::nullopt);
    EXPECT_EQ(summary_, std::nullopt);
    EXPECT_TRUE(SummarizeManager::shared().requestFailed);
    EXPECT_EQ(summarizeLines(),
              (QStringList{"Server error: 500", "Retrying request, attempt 1...",
                           "Server error: 500", "Retrying request, attempt 2...",
                           "Server error: 500", "Retrying request, attempt 3...",
                           "Server error: 500", "Max retry attempts reached. Request failed."}));
    EXPECT_EQ(server_.requestsTo("/api/v1/me").size(), 1U) << "the check is not repeated";
    EXPECT_EQ(platform_.mainQueue().scheduledCount(), 0U);
}

TEST_F(SummarizeTest, TransportAndParseFailuresAreRetriedUntilOneSucceeds) {
    // A cut answer: a dropped connection before any answer would be resent by the network
    // layer on its own, as it reuses the keep-alive connection of the user check.
    ScriptedReply truncated{200, R"({"response":"cut off here"})"};
    truncated.fault = ScriptedReply::Fault::TruncateBody;
    server_.on("/api/v1/summarize", {truncated,
                                     {200, "<html>maintenance</html>", "text/html"},
                                     {503, ""},
                                     {200, R"({"response":"Done."})"}});

    summarize();
    for (int retry = 0; retry < 3; ++retry) {
        ASSERT_TRUE(waitForRetry()) << retry;
        platform_.mainQueue().advance(2.0);
    }
    ASSERT_TRUE(waitForCompletion());

    EXPECT_EQ(summary_, QString("Done."));
    EXPECT_FALSE(SummarizeManager::shared().requestFailed);
    const QStringList lines = summarizeLines();
    ASSERT_EQ(lines.size(), 6);
    EXPECT_TRUE(lines[0].startsWith("Error sending request: ")) << lines[0].toStdString();
    EXPECT_EQ(lines.mid(1),
              (QStringList{"Retrying request, attempt 1...", "Retrying request, attempt 2...",
                           "Server error: 503", "Retrying request, attempt 3...",
                           R"(Response from server: {"response":"Done."})"}));
}

TEST_F(SummarizeTest, AnswersWithoutATextResponseAreNotRetried) {
    for (const char* body : {R"("a lone string")", "[1]", "{}", R"({"response":5})"}) {
        platform_.log().clear();
        server_.on("/api/v1/summarize", ScriptedReply{200, body});
        const std::size_t before = server_.requestsTo("/api/v1/summarize").size();
        completions_ = 0;
        summarize();
        ASSERT_TRUE(waitForCompletion()) << body;
        EXPECT_EQ(summary_, std::nullopt);
        EXPECT_EQ(server_.requestsTo("/api/v1/summarize").size(), before + 1) << body;
        EXPECT_EQ(platform_.mainQueue().scheduledCount(), 0U) << body;
        const QStringList lines = summarizeLines();
        ASSERT_EQ(lines.size(), 2) << body;
        EXPECT_TRUE(lines[0].startsWith("Response from server: ")) << body;
        EXPECT_EQ(lines[1], kNoMember);
    }
    EXPECT_FALSE(SummarizeManager::shared().requestFailed);
}

TEST_F(SummarizeTest, RejectedTokenStopsBeforeTheSummaryIsSent) {
    server_.on("/api/v1/me", ScriptedReply{401, R"({"detail":"Invalid token"})"});
    server_.on("/api/v1/summarize", ScriptedReply{200, R"({"response":"never"})"});

    summarize(QStringLiteral("expired"));
    ASSERT_TRUE(platform_.log().waitForLineStartingWith("Email or name not found in response"));
    platform_.mainQueue().advance(10.0);

    EXPECT_TRUE(server_.requestsTo("/api/v1/summarize").empty());
    EXPECT_EQ(completions_, 0);
    EXPECT_FALSE(SummarizeManager::shared().requestFailed);
}

} // namespace
