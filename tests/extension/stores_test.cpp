#include "authmanager.h"
#include "notificationnames.h"
#include "testplatform.h"
#include "userdetailsmanager.h"

TEST(AuthManagerLogout, ForgetsTokenAndEveryKeyThenTellsTheWindows) {
    TestPlatform platform;
    UserDefaults& defaults = Platform::current().userDefaults();
    ASSERT_TRUE(defaults.set("selectedApiEndpoint", QStringLiteral("dev")));
    ASSERT_TRUE(defaults.set("reply <m@x>", QByteArray(R"([{"text":"hi"}])")));
    ASSERT_TRUE(defaults.set("flag", true));
    AuthManager::shared().setAccessToken(QStringLiteral("secret"));
    std::optional<QStringList> keysWhenTold;
    auto observation = Platform::current().notificationCenter().addObserver(
        NotificationNames::userDidLogout, [&] { keysWhenTold = defaults.keys(); });

    AuthManager::shared().logout();

    EXPECT_EQ(AuthManager::shared().accessToken(), std::nullopt);
    EXPECT_TRUE(defaults.keys().isEmpty());
    ASSERT_TRUE(keysWhenTold.has_value()) << "UserDidLogout was not posted";
    EXPECT_TRUE(keysWhenTold->isEmpty()) << "windows were told before the store was wiped";
    EXPECT_EQ(platform.log().lines(),
              (QStringList{"UserDefaults cleared", "URLSession cache cleared"}));
}

TEST(UserDetailsManagerChange, HookRunsOnEveryAssignmentOnceEmailAndTokenAreKnown) {
    TestPlatform platform;
    UserDetailsManager& user = UserDetailsManager::shared();
    user.setAccessToken(std::nullopt);
    user.setEmail(QString());
    int hookRuns = 0;
    user.emailChangeObserver = [&] { ++hookRuns; };
    int emailChanges = 0;
    const QMetaObject::Connection counting =
        QObject::connect(&user, &UserDetailsManager::emailChanged, [&] { ++emailChanges; });

    user.setEmail("me@example.com");
    EXPECT_EQ(hookRuns, 0) << "no token yet";
    user.setAccessToken(QStringLiteral("token"));
    EXPECT_EQ(hookRuns, 1);
    user.setEmail("me@example.com");
    EXPECT_EQ(hookRuns, 2) << "an assignment of the same value still counts";
    EXPECT_EQ(emailChanges, 1) << "but is not a change of the property";
    user.setAccessToken(QString());
    EXPECT_EQ(hookRuns, 3) << "an empty token is still a token";
    user.setEmail(QString());
    EXPECT_EQ(hookRuns, 3);
    EXPECT_EQ(user.property("accessToken").toString(), "");
    user.setAccessToken(std::nullopt);
    EXPECT_FALSE(user.property("accessToken").isValid());
    user.emailChangeObserver = nullptr;
    QObject::disconnect(counting);
}
