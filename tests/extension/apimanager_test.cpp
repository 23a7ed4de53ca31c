// Which backend the extension talks to.
#include "scriptedbackend.h"
#include "signin/endpointselection.h"
#include "stores/apimanager.h"
#include "stores/deployments.h"

namespace {

using APIManagerTest = ScriptedBackendTest;

TEST_F(APIManagerTest, AKnownSettingIsUsedSilentlyAndAnyOtherFallsBackToLiveOnEveryCall) {
    APIManager& manager = stores_.api;
    log().clear();
    EXPECT_EQ(manager.apiUrl(), base + "/api/v1");
    EXPECT_EQ(manager.baseApiUrl(), base);
    EXPECT_TRUE(log().lines().isEmpty());

    const QString fallback = QStringLiteral(
        "Error: Invalid or missing API endpoint in UserDefaults. Falling back to live.");
    const QString live = baseUrlTable().at("live");
    defaults().remove({"selectedApiEndpoint"});
    EXPECT_EQ(manager.apiUrl(), live + "/api/v1");
    EXPECT_EQ(manager.baseApiUrl(), live);
    for (const DefaultsValue& unknown :
         {DefaultsValue(QStringLiteral("Live")), DefaultsValue(true)}) {
        ASSERT_TRUE(defaults().set("selectedApiEndpoint", unknown));
        EXPECT_EQ(manager.apiUrl(), live + "/api/v1");
    }
    EXPECT_EQ(log().lines().count(fallback), 3);
}

// A sign-in takes its token from the deployment selected at that moment, so requests must go
// there too, not to the deployment of an earlier first use.
TEST_F(APIManagerTest, TheFixedUrlsFollowAChangeOfDeploymentAndASignOut) {
    APIManager& manager = stores_.api;
    const QString live = baseUrlTable().at("live");
    const QString staging = baseUrlTable().at("staging");
    EXPECT_EQ(manager.currentApiUrl(), base + "/api/v1");
    EXPECT_EQ(manager.currentBaseApiUrl(), base);

    log().clear();
    changeEndpoint(services(), QStringLiteral("staging"));
    EXPECT_EQ(log().lines(), (QStringList{"API Endpoint changed to: " + staging + "/api/v1",
                                          "BASE API Endpoint changed to : " + staging}));
    EXPECT_EQ(manager.currentApiUrl(), staging + "/api/v1");
    EXPECT_EQ(manager.currentBaseApiUrl(), staging);
    EXPECT_TRUE(log().lines().contains("CURRENT API URL IN API MANAGER " + staging + "/api/v1"));

    stores_.auth.logout(); // forgets the selection, so the next sign-in is live's
    EXPECT_EQ(manager.currentApiUrl(), live + "/api/v1");
    EXPECT_EQ(manager.currentBaseApiUrl(), live);
}

TEST(ChooseBaseUrl, AcceptsOnlyAnHttpsOriginAndSaysWhyOtherwise) {
    TestPlatform platform;
    const QString fallback = QStringLiteral("https://fallback.example");
    EXPECT_EQ(chooseBaseUrl("V", nullptr, fallback), fallback);
    EXPECT_EQ(chooseBaseUrl("V", "https://127.0.0.1:8443", fallback), "https://127.0.0.1:8443");
    EXPECT_TRUE(platform.log().lines().isEmpty());

    for (const char* bad :
         {"http://plain.example", "https://host.example/", "https://h.example/api",
          "https://h.example?x=1", "https://user@h.example", "", "not a url", "https://"}) {
        platform.log().clear();
        EXPECT_EQ(chooseBaseUrl("QUORVANE_DEV_URL", bad, fallback), fallback) << bad;
        EXPECT_EQ(platform.log().lines().size(), 1) << bad;
    }
    EXPECT_EQ(platform.log().lines().at(0),
              "Ignoring QUORVANE_DEV_URL=\"https://\": it must be an https URL with a host and no "
              "path, query or trailing slash. Using https://fallback.example.");
}

} // namespace
