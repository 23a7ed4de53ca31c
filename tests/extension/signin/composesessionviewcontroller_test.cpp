#include "authmanager.h"
#include "endpointselection.h"
#include "signinfixture.h"

namespace {

class ComposeSessionViewControllerTest : public SignInFixture {};

TEST_F(ComposeSessionViewControllerTest, OpensOnTheLoginViewOrOnThePanelWithAUserDetailsRequest) {
    const auto signedOut = openWindow();
    EXPECT_EQ(layers(*signedOut), QStringList{"loginView"});
    EXPECT_TRUE(network().requests().empty()) << "no user-details request";
    EXPECT_EQ(signedOut->minimumSize(), QSizeF(400, 550));
    EXPECT_EQ(signedOut->maximumSize(), QSizeF(500, 900));

    AuthManager::shared().setAccessToken(QStringLiteral("tok"));
    ReplyEmailManager::shared().subject.reset();
    const auto signedIn = openWindow();
    EXPECT_EQ(layers(*signedIn), QStringList{"sessionTabsView"});
    EXPECT_EQ(signedIn->minimumSize(), QSizeF(400, 400));
    settle();
    const std::vector<URLRequest> requests = network().requestsTo("/api/v1/me");
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_EQ(requests[0].headers.at(0).second, "Bearer tok");
}

TEST_F(ComposeSessionViewControllerTest, OnlyTheWindowWhoseChainGotTheTokenShowsThePanel) {
    network().answer(sessionPath, session("s1", "https://login.example/s1"));
    network().answer(pollPath("s1"), token("t"));
    const auto signingIn = openWindow();
    const auto other = openWindow();
    signingIn->requestLoginSession();
    settle();
    EXPECT_EQ(layers(*signingIn), QStringList{"sessionTabsView"});
    EXPECT_EQ(layers(*other), QStringList{"loginView"});
    EXPECT_FALSE(other->isLoggedIn());
}

TEST_F(ComposeSessionViewControllerTest, EverySignOutLaysALoginViewOverWhatEachWindowShows) {
    AuthManager::shared().setAccessToken(QStringLiteral("tok"));
    auto panel = openWindow();
    AuthManager::shared().setAccessToken(std::nullopt);
    const auto login = openWindow();

    AuthManager::shared().logout();
    EXPECT_EQ(layers(*panel), (QStringList{"sessionTabsView", "loginView"}));
    EXPECT_EQ(layers(*login), (QStringList{"loginView", "loginView"}));
    changeEndpoint(QStringLiteral("staging"));
    EXPECT_EQ(layers(*panel), (QStringList{"sessionTabsView", "loginView", "loginView"}));

    panel.reset(); // a closed window hears no more sign-outs
    AuthManager::shared().logout();
    EXPECT_EQ(layers(*login).size(), 4);
}

TEST_F(ComposeSessionViewControllerTest, ChecksForUpdatesEveryTwelveHoursAgainstTheBaseUrl) {
    platform_.bundle().info = QVariantMap{{"CFBundleShortVersionString", "1.0.0"}};
    answer("/apple-version", 200, R"({"current_version":"1.0.0"})");
    const auto controller = openWindow();
    const QString sent = "Sending request to URL: " + base + "/apple-version?currentVersion=1.0.0";
    const auto checks = [&] { return log().lines().count(sent); };

    queue().advance(ComposeSessionViewController::updateCheckInterval - 1);
    EXPECT_EQ(checks(), 0) << "loading the view runs no check";
    queue().advance(1);
    EXPECT_EQ(checks(), 1);
    queue().advance(ComposeSessionViewController::updateCheckInterval);
    EXPECT_EQ(checks(), 2);
    EXPECT_EQ(network().requestsTo("/apple-version").size(), 2U);
}

} // namespace
