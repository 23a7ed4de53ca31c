#include "authmanager.h"
#include "notificationnames.h"
#include "testplatform.h"

TEST(AuthManagerLogout, ForgetsTokenAndEveryKeyThenTellsTheWindows) {
    TestPlatform platform;
    UserDefaults& defaults = Platform::current().userDefaults();
    ASSERT_TRUE(defaults.set("selectedApiEndpoint", QStringLiteral("dev")));
    ASSERT_TRUE(defaults.set("reply <m@x>", QByteArray(R"([{"text":"hi"}])")));
    AuthManager::shared().setAccessToken(QStringLiteral("secret"));
    std::optional<QStringList> keysWhenTold;
    auto observation = Platform::current().notificationCenter().addObserver(
        NotificationNames::userDidLogout, [&] { keysWhenTold = defaults.keys(); });

    AuthManager::shared().logout();
    EXPECT_EQ(AuthManager::shared().accessToken(), std::nullopt);
    EXPECT_EQ(keysWhenTold, QStringList()) << "told once the store was wiped";
    EXPECT_TRUE(defaults.keys().isEmpty());
    EXPECT_EQ(platform.log().lines(),
              (QStringList{"UserDefaults cleared", "URLSession cache cleared"}));
}
