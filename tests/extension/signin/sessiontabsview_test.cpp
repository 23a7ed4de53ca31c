#include "authmanager.h"
#include "incommingupdatesmanager.h"
#include "panelkeys.h"
#include "sessiontabsstate.h"
#include "shownview.h"
#include "signinfixture.h"
#include "updateactions.h"

#include <QQmlProperty>
#include <QTest>

namespace {

const QString versionPath = QStringLiteral("/api/v1/apple-version");
const char* const newVersion =
    R"({"current_version":"2.0","download_url":"https://dl.example/2.0"})";

/// A signed-in window with a version to report.
class SessionTabsViewTest : public SignInFixture {
protected:
    SessionTabsViewTest() {
        AuthManager::shared().setAccessToken(QStringLiteral("tok"));
        platform_.bundle().info = QVariantMap{{"CFBundleShortVersionString", "1.0.0"}};
        answer(versionPath, 200, R"({"current_version":"1.0.0"})");
        window_ = openWindow();
    }

    [[nodiscard]] static SessionTabsState& state(const ShownView& shown) {
        return *shown.get("sessionTabsView").property("viewState").value<SessionTabsState*>();
    }

    /// Lets the version check of the appearance report, and the notice fade in or out.
    void waitForNotice(ShownView& shown, bool shows) {
        settle();
        ASSERT_EQ(updates_.incommingUpdatesAvailable(), shows);
        QQuickItem& frame = shown.get("sessionPanelFrame");
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return frame.opacity() == (shows ? 0.4 : 1.0) &&
                   shown.shows("updateNowButton") == shows;
        }));
        EXPECT_EQ(frame.isEnabled(), !shows);
    }

    IncommingUpdatesManager& updates_ = IncommingUpdatesManager::shared();
    std::shared_ptr<ComposeSessionViewController> window_;
};

TEST_F(SessionTabsViewTest, EachAppearanceChecksForUpdatesLoadsStoredResultsAndAddsAKeyMonitor) {
    ASSERT_TRUE(defaults().set(PanelKeys::summarizeResponseKey(), QString("Stored summary")));
    ASSERT_TRUE(defaults().set(PanelKeys::generateResponseKey(), QString("Stored reply")));
    ShownView shown(window_->view(), 400, 550);
    SessionTabsState& tabs = state(shown);
    EXPECT_EQ(tabs.summarizeStateManager()->summarizeResponse(), QString("Stored summary"));
    EXPECT_EQ(tabs.buttonStateManager()->generateResponse(), QString("Stored reply"));
    const QString check = "Sending request to URL: " + base + versionPath + "?currentVersion=1.0.0";
    EXPECT_EQ(log().lines().count(check), 1);

    shown.key(Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(tabs.showDeveloperMenu());

    CountingKeyMonitor& monitors = platform_.keyMonitor();
    window_->view().setVisible(false);
    EXPECT_EQ(*monitors.active, 0);
    window_->view().setVisible(true);
    EXPECT_EQ(monitors.installed, 2);
    EXPECT_EQ(*monitors.active, 1);
    EXPECT_EQ(log().lines().count(check), 2);
}

TEST_F(SessionTabsViewTest, ThePanelFrameStaysWithinItsLeastAndMostSize) {
    const struct {
        bool subject;
        QSize area;
        QSizeF frame;
    } rows[] = {
        {true, {400, 550}, {388, 538}},  {true, {450, 600}, {426, 576}},
        {true, {700, 1200}, {500, 900}}, {false, {424, 424}, {400, 400}},
        {false, {500, 500}, {476, 476}},
    };
    for (const auto& row : rows) {
        if (!row.subject) {
            ReplyEmailManager::shared().subject.reset();
        }
        const auto window = openWindow();
        ShownView shown(window->view(), row.area.width(), row.area.height());
        const QQuickItem& frame = shown.get("sessionPanelFrame");
        EXPECT_EQ(frame.size(), row.frame) << row.area.width() << "x" << row.area.height();
    }
}

TEST_F(SessionTabsViewTest, AReportedVersionLocksThePanelUnderTheNoticeUntilRemindMeLater) {
    answer(versionPath, 200, newVersion);
    ShownView shown(window_->view(), 400, 550);
    waitForNotice(shown, true);

    shown.click("updateNowButton");
    EXPECT_EQ(platform_.workspace().opened, std::vector{QUrl("https://dl.example/2.0")});
    EXPECT_TRUE(shown.shows("updateNowButton")) << "the notice stays";

    shown.click("remindLaterButton");
    EXPECT_EQ(log().linesStartingWith("Update now clicked").size(), 1);
    EXPECT_TRUE(log().contains("Remind me later clicked"));
    waitForNotice(shown, false);

    updates_.setIncommingUpdatesAvailable(true); // a later check reports again
    waitForNotice(shown, true);
}

TEST_F(SessionTabsViewTest, UpdateNowOpensOnlyWebAddresses) {
    // Which schemes open is the workspace's own test; here, that none and a bad one are refused.
    const std::optional<QString> addresses[] = {std::nullopt, "not a url",
                                                "https://dl.example/2.0"};
    for (const std::optional<QString>& address : addresses) {
        updates_.updateUrl = address;
        UpdateActions().updateNow();
    }
    EXPECT_EQ(log().lines().count("Update now clicked"), std::size(addresses));
    EXPECT_EQ(platform_.workspace().opened, std::vector{QUrl("https://dl.example/2.0")});
}

TEST_F(SessionTabsViewTest, LoggingOutFromTheNoticeLaysTheLoginViewOverThePanel) {
    updates_.setIncommingUpdatesAvailable(true);
    ShownView shown(window_->view(), 400, 550);
    shown.click("logoutButton");
    EXPECT_EQ(layers(*window_), (QStringList{"sessionTabsView", "loginView"}));
    EXPECT_TRUE(shown.shows("loginButton"));
}

/// The blur needs a graphics API: under a display (xvfb-run) the effect is drawn, offscreen
/// the panel is only dimmed.
TEST_F(SessionTabsViewTest, Screenshots) {
    const bool blurs = QGuiApplication::platformName() != QLatin1String("offscreen");
    answer(versionPath, 200, newVersion);
    forEachAppearance([&](int width, const QString& suffix) {
        updates_.setIncommingUpdatesAvailable(false);
        const auto window = openWindow();
        ShownView shown(window->view(), width, 550);
        waitForNotice(shown, true);
        EXPECT_EQ(QQmlProperty::read(&shown.get("sessionPanelFrame"), "layer.enabled").toBool(),
                  blurs);
        shown.screenshot((blurs ? "update-notice-blurred" : "update-notice") + suffix);

        window->handleLogout();
        shown.screenshot("login-over-panel" + suffix);
    });
}

} // namespace
