#include "backendfixture.h"
#include "handleapirequests.h"

namespace {

class TrainingDataTest : public BackendFixture {
protected:
    /// Submits and waits for the completion, or for `lastLine` when none should come.
    std::optional<QString> submit(ScriptedReply reply, const QString& lastLine = {}) {
        platform_.log().clear();
        server_.on("/api/v1/create-training-data", std::move(reply));
        auto success = std::make_shared<std::optional<QString>>();
        HandleApiRequests::submitTrainingData(
            QUrl(url("/api/v1/create-training-data")), QString(),
            {"me@example.com", "Can we meet?", "No response available"}, [success](QString text) {
                Platform::current().mainQueue().async([success, text] { *success = text; });
            });
        if (lastLine.isEmpty()) {
            EXPECT_TRUE(platform_.mainQueue().runUntil([success] { return success->has_value(); }));
        } else {
            EXPECT_TRUE(platform_.log().waitForLineStartingWith(lastLine));
            platform_.mainQueue().runDue();
        }
        return *success;
    }
};

TEST_F(TrainingDataTest, SendsThePairAndHandsOverTheSuccessTextAsItIs) {
    EXPECT_EQ(submit({200, R"({"success":"stored, thanks"})"}), QString("stored, thanks"));
    const RecordedRequest request = server_.requests().at(0);
    EXPECT_EQ(request.body, R"({"email":"me@example.com","question":"Can we meet?",)"
                            R"("answer":"No response available","plugin_source":"plugin_apple",)"
                            R"("plugin_version":"v1.0.0"})");
    EXPECT_EQ(request.header("Authorization"), "Bearer");
    EXPECT_EQ(platform_.log().lines(),
              QStringList{R"(TRAINIG DATA BODY TrainingDataBody(email: "me@example.com", )"
                          R"(question: "Can we meet?", answer: "No response available", )"
                          R"(plugin_source: "plugin_apple", plugin_version: "v1.0.0"))"});
}

TEST_F(TrainingDataTest, FailuresAreOnlyLogged) {
    const QString noSuccess = QStringLiteral("The 'sucess' key does not exist or is not a string.");
    EXPECT_EQ(submit({200, R"({"success":true})"}, noSuccess), std::nullopt);
    EXPECT_EQ(submit({200, "[]"}, noSuccess), std::nullopt);
    EXPECT_EQ(submit({500, R"({"success":"no"})"}, "Server error: 500"), std::nullopt);
    EXPECT_EQ(submit({200, "not json"}, "Server error. Please try again."), std::nullopt);
}

} // namespace
