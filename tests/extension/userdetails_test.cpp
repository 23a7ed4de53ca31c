#include "backendfixture.h"
#include "handleapirequests.h"

#include <thread>

namespace {

class UserDetailsTest : public BackendFixture {
protected:
    UserDetailsTest() { UserDetailsManager::shared().setEmail("previous@example.com"); }

    void fetch(const QString& token = QStringLiteral("tok")) {
        HandleApiRequests::fetchUserDetails(url("/api/v1/me"), token,
                                            [this](UserDetailsManager& store) {
                                                completedOn_ = std::this_thread::get_id();
                                                emailWhenCompleted_ = store.email();
                                            });
    }

    /// Fetches once against `reply` and gives the line that ended the failed handling.
    QString failureLine(ScriptedReply reply, const QString& expectedPrefix) {
        platform_.log().clear();
        server_.on("/api/v1/me", std::move(reply));
        fetch();
        EXPECT_TRUE(platform_.log().waitForLineStartingWith(expectedPrefix))
            << expectedPrefix.toStdString();
        platform_.mainQueue().runDue();
        EXPECT_EQ(UserDetailsManager::shared().email(), "previous@example.com");
        EXPECT_FALSE(completedOn_.has_value());
        return platform_.log().lines().last();
    }

    std::optional<std::thread::id> completedOn_;
    QString emailWhenCompleted_;
};

TEST_F(UserDetailsTest, StatusIsIgnoredAndTheStoreIsWrittenOnTheMainThread) {
    server_.on("/api/v1/me", ScriptedReply{500, R"({"email":"me@example.com","name":"Me","x":1})"});

    fetch();
    ASSERT_TRUE(platform_.mainQueue().runUntil([this] { return completedOn_.has_value(); }));

    EXPECT_EQ(*completedOn_, std::this_thread::get_id());
    EXPECT_EQ(emailWhenCompleted_, "me@example.com");
    EXPECT_EQ(UserDetailsManager::shared().name, QString("Me"));
    EXPECT_EQ(platform_.log().lines(),
              (QStringList{"URL: " + url("/api/v1/me"), "ACCESS TOKEN: … (3 characters)"}));
    const RecordedRequest request = server_.requests().at(0);
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.header("Authorization"), "Bearer tok");
    EXPECT_EQ(request.header("Content-Type"), std::nullopt);
}

TEST_F(UserDetailsTest, EachBadAnswerLogsItsLineAndChangesNothing) {
    EXPECT_EQ(failureLine({200, R"({"email":"me@example.com","name":7})"}, "Email or name"),
              "Email or name not found in response");
    EXPECT_EQ(failureLine({200, R"({"name":"Me"})"}, "Email or name"),
              "Email or name not found in response");
    EXPECT_EQ(failureLine({200, "{}"}, "Email or name"), "Email or name not found in response");
    EXPECT_EQ(failureLine({200, "[]"}, "Server error."), "Server error. Please try again.");
    const QString parseFailure = QStringLiteral("Error parsing response data from user details: ");
    for (const char* notJson : {R"("me@example.com")", "", "<html>login</html>", "{\"email\":"}) {
        EXPECT_GT(failureLine({200, notJson}, parseFailure).size(), parseFailure.size())
            << "the parse error is described: " << notJson;
    }
    ScriptedReply dropped;
    dropped.fault = ScriptedReply::Fault::DropConnection;
    EXPECT_TRUE(failureLine(dropped, "Error: ").startsWith("Error: "));
}

TEST_F(UserDetailsTest, InvalidUrlIsLoggedAndNothingIsSent) {
    HandleApiRequests::fetchUserDetails(QString(), "tok", {});
    HandleApiRequests::fetchUserDetails("not a url", "tok", {});
    EXPECT_EQ(platform_.log().lines(), (QStringList{"Invalid URL", "Invalid URL"}));
    EXPECT_TRUE(server_.requests().empty());
}

} // namespace
