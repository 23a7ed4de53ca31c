#include "../scriptedbackend.h"
#include "api/tokenredaction.h"
#include "entry/composesessionviewcontroller.h"
#include "shownview.h"
#include "signin/endpointselection.h"
#include "signin/signinflow.h"
#include "stores/incommingupdatesmanager.h"

#include <QQmlProperty>
#include <QTest>
#include <algorithm>
#include <utility>

namespace {

const QString kSessionPath = QStringLiteral("/plugin-auth/session-request/");
const QString kPollPath = kSessionPath + "s1";
const QString kNullLine = QStringLiteral("Access token is null. Continuing request...");
const QString kReceivedLine = QStringLiteral("Access token received: ");

ScriptedAnswer ok(const QString& body) {
    return ScriptedAnswer::http(200, body.toUtf8());
}
ScriptedAnswer session(const QString& id, const QString& loginUrl) {
    return ok(QStringLiteral(R"({"id":"%1","login_url":"%2"})").arg(id, loginUrl));
}
ScriptedAnswer token(const QString& value) {
    return ok(QStringLiteral(R"({"id":"s1","access_token":"%1"})").arg(value));
}
const ScriptedAnswer kPending = ok(R"({"id":"s1","access_token":null})");
const ScriptedAnswer kSession = session("s1", "https://login.example/s1");

/// Compose windows answering a message, signed out, with scripted sign-in answers.
class SignInTest : public ScriptedBackendTest {
protected:
    SignInTest() { stores_.auth.setAccessToken(std::nullopt); }

    /// A compose window as the host opens it: made, then its view loaded.
    [[nodiscard]] std::shared_ptr<ComposeSessionViewController> openWindow() const {
        auto controller = ComposeSessionViewController::make(window_);
        (void)controller->view();
        return controller;
    }
    /// The objectNames of the views a window shows, bottom first.
    [[nodiscard]] static QStringList layers(ComposeSessionViewController& controller) {
        QStringList names;
        for (const QQuickItem* item : controller.view().childItems()) {
            names << item->objectName();
        }
        return names;
    }
    /// Opens a signed-out window, presses its login button and handles what arrives now.
    std::shared_ptr<ComposeSessionViewController> pressLogin() {
        auto controller = openWindow();
        log().clear();
        controller->requestLoginSession();
        settle();
        return controller;
    }
    /// Whether the next poll waits for its 2.0 seconds now.
    [[nodiscard]] bool pollScheduled() const {
        return queue().nextDue() == queue().now() + SignInFlow::pollInterval;
    }
};

TEST_F(SignInTest, PollsAtOnceThenTwoSecondsAfterEachAnswerUntilTheSessionHasAToken) {
    network().answer(kSessionPath, ok(R"({"id":"s1","access_token":"early",)"
                                      R"("login_url":"https://login.example/s1"})"));
    network().answer(kPollPath, {ScriptedAnswer::http(200, std::nullopt), kPending,
                                 token("tok-0123456789abcdef")});
    auto controller = pressLogin();
    for (int answered = 1; answered <= 2; ++answered) {
        EXPECT_TRUE(pollScheduled());
        EXPECT_EQ(stores_.auth.accessToken(), std::nullopt) << "the first answer's token";
        queue().advance(SignInFlow::pollInterval);
        settle();
    }
    EXPECT_TRUE(log().contains(kReceivedLine + "tok-… (20 characters)"));
    EXPECT_EQ(platform_.workspace().opened, std::vector{QUrl("https://login.example/s1")});
    const std::vector<URLRequest> polls = network().requestsTo(kPollPath);
    ASSERT_EQ(polls.size(), 3U);
    for (const URLRequest& request : {network().requestsTo(kSessionPath).at(0), polls.front()}) {
        EXPECT_EQ(request.httpMethod, "GET");
        EXPECT_TRUE(request.headers.empty());
        EXPECT_FALSE(request.cacheable);
    }
    EXPECT_EQ(stores_.auth.accessToken(), QString("tok-0123456789abcdef"));
    EXPECT_TRUE(controller->isLoggedIn());
    EXPECT_EQ(layers(*controller), QStringList{"sessionTabsView"});
    EXPECT_FALSE(pollScheduled());
}

// Failures of the transport and answers that are not JSON are in the fault matrix.
TEST_F(SignInTest, AnswersThatAreNotUsableSessionsEndTheFlowOrThePolling) {
    const struct {
        const char* name;
        ScriptedAnswer session;
        ScriptedAnswer poll;
        QString line; // the start of a line logged after the start lines ("" for none)
        bool polling = false;
        bool opened = false;
        bool signedIn = false;
    } rows[] = {
        {"null login_url", ok(R"({"id":"s1","login_url":null,"x":[1]})"), kPending, ""},
        {"id makes no URL", session("bad id%zz", "not a url"), kPending, "Invalid URL"},
        {"script page", session("s1", "javascript:alert(1)"), kPending, kNullLine, true},
        {"empty token", kSession, token(""), kReceivedLine + "… (0 characters)", false, true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        stores_.auth.setAccessToken(std::nullopt);
        network().answer(kSessionPath, row.session);
        network().answer(kPollPath, row.poll);
        auto controller = pressLogin();
        const QString start = "CURRENT BASE API URL IN API MANAGER " + base;
        EXPECT_EQ(log().lines().mid(0, 3), QStringList({start, "URL is: " + base, start}));
        const QStringList after = log().lines().mid(3);
        EXPECT_EQ(after.isEmpty(), row.line.isEmpty());
        EXPECT_TRUE(row.line.isEmpty() ||
                    std::ranges::any_of(
                        after, [&](const QString& line) { return line.startsWith(row.line); }))
            << after.join('\n').toStdString();
        EXPECT_EQ(pollScheduled(), row.polling);
        EXPECT_EQ(controller->isLoggedIn(), row.signedIn);
        EXPECT_EQ(platform_.workspace().opened.size(), row.opened ? 1U : 0U);
        platform_.workspace().opened.clear();

        // A window closed while its chain polls goes at the chain's next answer, timers and all.
        const std::weak_ptr<ComposeSessionViewController> window = controller;
        controller.reset();
        queue().advance(SignInFlow::pollInterval);
        settle();
        EXPECT_TRUE(window.expired());
        EXPECT_EQ(queue().nextDue(), std::nullopt);
    }
}

TEST_F(SignInTest, EachSignInAndEachSignOutCoversEveryWindowAtItsLogin) {
    network().answer(kSessionPath, {kSession, session("s2", "https://login.example/s2")});
    network().answer(kPollPath, {kPending, token("from-s1")});
    network().answer(kSessionPath + "s2", token("from-s2"));
    const auto other = openWindow();
    EXPECT_EQ(layers(*other), QStringList{"loginView"});
    auto controller = pressLogin();
    controller->buttonClicked();
    settle();
    EXPECT_EQ(stores_.auth.accessToken(), QString("from-s2"));
    EXPECT_EQ(layers(*other), QStringList{"sessionTabsView"}) << "signed in by the other window";
    EXPECT_TRUE(other->isLoggedIn());
    // The first press's page, completed later (as another account, perhaps), switches nothing.
    queue().advance(SignInFlow::pollInterval);
    settle();
    EXPECT_EQ(stores_.auth.accessToken(), QString("from-s2"));
    EXPECT_EQ(network().requestsTo(kPollPath).size(), 1U);

    stores_.auth.logout();
    EXPECT_EQ(layers(*other), (QStringList{"sessionTabsView", "loginView"}));
    controller->buttonClicked(); // s2 again
    settle();
    EXPECT_EQ(stores_.auth.accessToken(), QString("from-s2"));
    EXPECT_EQ(platform_.workspace().opened.size(), 3U);
    EXPECT_EQ(layers(*controller), QStringList{"sessionTabsView"});
    EXPECT_EQ(layers(*other), QStringList{"sessionTabsView"});

    changeEndpoint(services(), QStringLiteral("staging")); // signs out too
    EXPECT_EQ(layers(*controller), (QStringList{"sessionTabsView", "loginView"}));
    controller.reset(); // a closed window hears no more sign-outs
    stores_.auth.logout();
    EXPECT_EQ(layers(*other), (QStringList{"sessionTabsView", "loginView"})) << "replaced";

    // The login view's own menu changes the endpoint while its handler runs: the view is
    // replaced all the same, and the address of whoever signed in last goes too.
    stores_.userDetails.setEmail(QStringLiteral("ann@example.org"));
    ShownView shown(other->view(), 400, 550);
    shown.key(Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    shown.click("endpointStaging");
    settle();
    EXPECT_EQ(layers(*other), (QStringList{"sessionTabsView", "loginView"}));
    EXPECT_TRUE(shown.shows("loginButton"));
    EXPECT_EQ(stores_.userDetails.email(), QString());
}

// Two pages completed within one round of polls: one of them signs in, and the other switches
// nothing.
TEST_F(SignInTest, TwoTokensInOneRoundOfPollsSignInOnce) {
    network().answer(kSessionPath, {kSession, session("s2", "https://login.example/s2")});
    network().answer(kPollPath, {kPending, token("first")});
    network().answer(kSessionPath + "s2", {kPending, token("second")});
    const auto controller = pressLogin();
    controller->requestLoginSession();
    settle();
    queue().advance(SignInFlow::pollInterval);
    settle();
    const QStringList received = log().lines().filter(kReceivedLine);
    ASSERT_EQ(received.size(), 1) << received.join('\n').toStdString();
    EXPECT_EQ(kReceivedLine + redactedToken(stores_.auth.accessToken().value_or("")),
              received.front());
}

// A sign-in belongs to the deployment and the user it began with: its session or token must
// not reach another deployment, nor sign in again after a sign-out.
TEST_F(SignInTest, ASignOutOrAnEndpointChangeEndsTheSignInsBegunBeforeIt) {
    network().answer(kSessionPath, kSession);
    // 0: while the session is requested, 1: while a poll waits, 2: while a poll is answered
    for (std::size_t step = 0; step < 3; ++step) {
        for (const bool endpointChange : {false, true}) {
            SCOPED_TRACE(testing::Message() << step << (endpointChange ? " endpoint" : " logout"));
            EXPECT_TRUE(defaults().set("selectedApiEndpoint", QString("dev"))); // logout clears it
            network().answer(kPollPath, {kPending, token("from-dev")});
            const std::size_t polled = network().requestsTo(kPollPath).size();
            const auto signOut = [&] {
                endpointChange ? changeEndpoint(services(), QStringLiteral("staging"))
                               : stores_.auth.logout();
            };
            const auto controller = openWindow();
            controller->requestLoginSession();
            if (step > 0) {
                settle();
            }
            // At the poll's due time, queued after it: the poll is sent, its answer not handled.
            step < 2 ? signOut() : queue().asyncAfter(SignInFlow::pollInterval, signOut);
            queue().advance(SignInFlow::pollInterval);
            settle();
            EXPECT_EQ(network().requestsTo(kPollPath).size() - polled, step);
            EXPECT_EQ(stores_.auth.accessToken(), std::nullopt);
            EXPECT_FALSE(pollScheduled());
            EXPECT_EQ(std::exchange(platform_.workspace().opened, {}).size(), step > 0 ? 1U : 0U);
        }
    }
}

/// A signed-in window with a version to report.
class SessionTabsViewTest : public SignInTest {
protected:
    SessionTabsViewTest() {
        stores_.auth.setAccessToken(QStringLiteral("tok"));
        platform_.bundle().info = QVariantMap{{"CFBundleShortVersionString", "1.0.0"}};
        answer("/api/v1/apple-version", 200,
               R"({"current_version":"2.0","download_url":"https://dl.example/2.0"})");
    }

    /// Lets the version check of the appearance report, and the notice fade in or out.
    void waitForNotice(ShownView& shown, bool shows) {
        settle();
        ASSERT_EQ(stores_.updates.incommingUpdatesAvailable(), shows);
        QQuickItem& frame = shown.get("sessionPanelFrame");
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return frame.opacity() == (shows ? 0.4 : 1.0) &&
                   shown.shows("updateNowButton") == shows;
        }));
        EXPECT_EQ(frame.isEnabled(), !shows);
    }
};

/// A window checks for a new version every twelve hours, and at each appearance with one key
/// monitor. The blur needs a graphics API: under a display (xvfb-run) the effect is drawn,
/// offscreen the panel is only dimmed. Update now keeps the notice; remind me later hides it.
TEST_F(SessionTabsViewTest, UpdateNoticeInEveryAppearance) {
    {
        const auto loaded = openWindow();
        const QString sent =
            "Sending request to URL: " + base + "/apple-version?currentVersion=1.0.0";
        queue().advance(ComposeSessionViewController::updateCheckInterval - 1);
        EXPECT_EQ(log().lines().count(sent), 0) << "loading the view runs no check";
        queue().advance(ComposeSessionViewController::updateCheckInterval + 1);
        EXPECT_EQ(log().lines().count(sent), 2);
    }
    const bool blurs = QGuiApplication::platformName() != QLatin1String("offscreen");
    forEachAppearance([&](int width, const QString& suffix) {
        stores_.updates.setIncommingUpdatesAvailable(false);
        stores_.auth.setAccessToken(QStringLiteral("tok")); // the last one signed out
        const auto window = openWindow();
        ShownView shown(window->view(), width, 550);
        waitForNotice(shown, true);
        EXPECT_EQ(QQmlProperty::read(&shown.get("sessionPanelFrame"), "layer.enabled").toBool(),
                  blurs);
        shown.screenshot((blurs ? "update-notice-blurred" : "update-notice") + suffix);
        shown.click("updateNowButton");
        EXPECT_EQ(platform_.workspace().opened.back(), QUrl("https://dl.example/2.0"));
        shown.click("remindLaterButton");
        waitForNotice(shown, false);
        window->view().setVisible(false);
        window->view().setVisible(true);
        waitForNotice(shown, true);
        EXPECT_EQ(*platform_.keyMonitor().active, 1) << "one key monitor per appearance";

        shown.click("logoutButton"); // the notice's own
        EXPECT_EQ(layers(*window), (QStringList{"sessionTabsView", "loginView"}));
        EXPECT_TRUE(shown.shows("loginButton"));
        shown.screenshot("login-over-panel" + suffix);
    });
}

} // namespace
