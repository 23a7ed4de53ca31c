#include "authmanager.h"
#include "loginviewstate.h"
#include "replyemailmanager.h"
#include "shownview.h"
#include "testplatform.h"

namespace {

class LoginViewTest : public testing::Test {
protected:
    LoginViewTest() {
        ReplyEmailManager::shared().subject = QStringLiteral("Lunch");
        state_ = std::make_unique<LoginViewState>();
    }

    [[nodiscard]] QVariantMap properties() const {
        return {{"viewState", QVariant::fromValue(state_.get())}};
    }

    TestPlatform platform_;
    std::unique_ptr<LoginViewState> state_;
};

TEST_F(LoginViewTest, LogsEveryAppearanceAndInstallsItsKeyMonitorOnlyOnce) {
    ShownView view(QStringLiteral("LoginView"), properties());
    CountingKeyMonitor& monitors = platform_.keyMonitor();
    EXPECT_EQ(monitors.installed, 1);
    EXPECT_EQ(*monitors.active, 1);

    view.root().setVisible(false);
    EXPECT_EQ(*monitors.active, 0);
    view.root().setVisible(true);
    EXPECT_EQ(monitors.installed, 1);
    EXPECT_EQ(*monitors.active, 0);
    EXPECT_EQ(platform_.log().lines().count("i enter in the login content view page"), 2);
}

TEST_F(LoginViewTest, ControlShiftDTogglesTheDeveloperMenuWhateverElseIsHeld) {
    ShownView view(QStringLiteral("LoginView"), properties());
    const struct {
        Qt::KeyboardModifiers modifiers;
        bool opens;
    } cases[] = {
        {Qt::ControlModifier | Qt::ShiftModifier, true},
        {Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier, true},
        {Qt::ControlModifier, false},
        {Qt::ShiftModifier, false},
    };
    for (const auto& c : cases) {
        view.key(Qt::Key_D, c.modifiers);
        EXPECT_EQ(state_->showDeveloperMenu(), c.opens) << c.modifiers.toInt();
        EXPECT_EQ(view.shows("developerMenu"), c.opens) << c.modifiers.toInt();
        if (c.opens) {
            view.key(Qt::Key_D, c.modifiers);
            EXPECT_FALSE(view.shows("developerMenu"));
        }
    }
}

TEST_F(LoginViewTest, ChoosingAnotherEndpointStoresItTellsEveryoneAndSignsOut) {
    AuthManager::shared().setAccessToken(QStringLiteral("token"));
    QStringList posted;
    NotificationCenter& center = Platform::current().notificationCenter();
    auto changed = center.addObserver("apiEndpointChanged", [&] { posted << "changed"; });
    auto logout = center.addObserver("UserDidLogout", [&] { posted << "logout"; });
    ShownView view(QStringLiteral("LoginView"), properties());
    view.key(Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(view.get("endpointLive").property("selected").toBool());

    view.click("endpointLive"); // already selected
    EXPECT_TRUE(posted.isEmpty());
    view.click("endpointStaging");
    EXPECT_EQ(posted, (QStringList{"changed", "logout"}));
    EXPECT_EQ(Platform::current().userDefaults().string("selectedApiEndpoint"), QString("staging"));
    EXPECT_FALSE(AuthManager::shared().hasAccessToken());
    EXPECT_TRUE(view.get("endpointStaging").property("selected").toBool());
}

TEST_F(LoginViewTest, AnUnknownStoredEndpointSelectsNoSegment) {
    ASSERT_TRUE(Platform::current().userDefaults().set("selectedApiEndpoint", QString("moon")));
    ShownView view(QStringLiteral("LoginView"), properties());
    view.key(Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    for (const char* segment : {"endpointDev", "endpointStaging", "endpointLive"}) {
        EXPECT_FALSE(view.get(segment).property("selected").toBool()) << segment;
    }
}

TEST_F(LoginViewTest, EachPressOfLoginRunsTheCallback) {
    int taps = 0;
    state_->onLoginButtonTap = [&] { ++taps; };
    ShownView view(QStringLiteral("LoginView"), properties());
    view.click("loginButton");
    view.click("loginButton");
    EXPECT_EQ(taps, 2);
}

TEST_F(LoginViewTest, Screenshots) {
    forEachAppearance([](int width, const QString& suffix) {
        LoginViewState state;
        ShownView view(QStringLiteral("LoginView"), {{"viewState", QVariant::fromValue(&state)}},
                       width, 550);
        view.screenshot("login" + suffix);
        view.key(Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
        view.screenshot("login-developer-menu" + suffix);
    });
}

} // namespace
