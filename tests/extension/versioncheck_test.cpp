#include "appversion.h"
#include "backendfixture.h"
#include "handleapirequests.h"
#include "incommingupdatesmanager.h"

namespace {

class VersionCheckTest : public BackendFixture {
protected:
    VersionCheckTest() {
        updates_.newVersion = QStringLiteral("earlier");
        updates_.updateUrl = QStringLiteral("https://earlier.example/dl");
        updates_.setIncommingUpdatesAvailable(true);
    }

    /// Checks once against `reply` and lets the handler's main-thread work run.
    void check(ScriptedReply reply, const QString& version = QStringLiteral("1.0.0")) {
        platform_.log().clear();
        server_.on("/api/v1/apple-version", std::move(reply));
        HandleApiRequests::checkForNewVersion(url("/api/v1/apple-version"), version);
        // The session's own thread runs the handler; a blocking call to it returns only
        // once the handler has finished and posted its work.
        ASSERT_TRUE(
            platform_.log().waitUntil([](const QStringList& lines) { return lines.size() >= 2; }));
        Platform::current().urlSession().removeAllCachedResponses();
        platform_.mainQueue().runDue();
    }

    IncommingUpdatesManager& updates_ = IncommingUpdatesManager::shared();
};

TEST_F(VersionCheckTest, NewerReleaseIsOfferedWithItsUrl) {
    check({200, R"({"current_version":"1.1.0","download_url":"https://dl.example/1.1.0"})"},
          QStringLiteral("1.0 beta+1&x"));
    EXPECT_EQ(updates_.newVersion, QString("1.1.0"));
    EXPECT_EQ(updates_.updateUrl, QString("https://dl.example/1.1.0"));
    EXPECT_TRUE(updates_.incommingUpdatesAvailable());
    const RecordedRequest request = server_.requests().at(0);
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.target, "/api/v1/apple-version?currentVersion=1.0%20beta%2B1%26x");
    EXPECT_EQ(request.header("Authorization"), std::nullopt);
    const QStringList lines = platform_.log().lines();
    EXPECT_EQ(lines.at(0).toStdString(),
              ("Sending request to URL: " +
               url("/api/v1/apple-version?currentVersion=1.0%20beta%2B1%26x"))
                  .toStdString());
    EXPECT_TRUE(lines.at(1).startsWith("JSON response is: "));
    EXPECT_EQ(lines.at(2), "The new available version is: 1.1.0");
}

TEST_F(VersionCheckTest, MissingMembersClearTheirFieldsIndependently) {
    check({404, R"({"download_url":"https://dl.example/x"})"});
    EXPECT_EQ(updates_.newVersion, std::nullopt);
    EXPECT_EQ(updates_.updateUrl, QString("https://dl.example/x"));
    EXPECT_TRUE(updates_.incommingUpdatesAvailable()) << "the status is not looked at";
    EXPECT_TRUE(platform_.log().contains("New app version is null in response"));

    check({200, "{}"});
    EXPECT_EQ(updates_.newVersion, std::nullopt);
    EXPECT_EQ(updates_.updateUrl, std::nullopt);
    EXPECT_FALSE(updates_.incommingUpdatesAvailable());
    EXPECT_TRUE(platform_.log().contains("New app version is null in response"));
    EXPECT_TRUE(platform_.log().contains("New download URL is null in response"));

    check({200, R"({"current_version":"2.0","download_url":false})"});
    EXPECT_EQ(updates_.newVersion, QString("2.0"));
    EXPECT_FALSE(updates_.incommingUpdatesAvailable());
}

TEST_F(VersionCheckTest, ANonObjectClearsOnlyTheFlag) {
    check({200, R"(["1.1"])"});
    EXPECT_TRUE(platform_.log().contains("Server error. Please try again."));
    EXPECT_FALSE(updates_.incommingUpdatesAvailable());
    EXPECT_EQ(updates_.newVersion, QString("earlier"));
    EXPECT_EQ(updates_.updateUrl, QString("https://earlier.example/dl"));
}

TEST_F(VersionCheckTest, UnparsableAnswersChangeNothing) {
    for (const char* body : {R"("1.1")", "", "<html>"}) {
        check({200, body});
        EXPECT_EQ(
            platform_.log().linesStartingWith("Error parsing response data from server: ").size(),
            1)
            << body;
        EXPECT_TRUE(updates_.incommingUpdatesAvailable()) << body;
        EXPECT_EQ(updates_.newVersion, QString("earlier")) << body;
    }
}

TEST_F(VersionCheckTest, InvalidUrlSendsNothing) {
    HandleApiRequests::checkForNewVersion("::not a url", "1.0");
    EXPECT_EQ(platform_.log().lines(), QStringList{"Invalid URL"});
    EXPECT_TRUE(server_.requests().empty());
}

TEST(AppVersion, ComesFromTheBundlesShortVersion) {
    TestPlatform platform;
    platform.bundle().info = QVariantMap{{"CFBundleShortVersionString", "1.2.3"}};
    EXPECT_EQ(appVersion(), QString("1.2.3"));
}

} // namespace
