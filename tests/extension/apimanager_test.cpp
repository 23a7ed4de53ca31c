#include "apimanager.h"
#include "deployments.h"
#include "notificationnames.h"
#include "scriptedbackend.h"

namespace {

const QString kFallback =
    QStringLiteral("Error: Invalid or missing API endpoint in UserDefaults. Falling back to live.");
const QString kBaseFallback = QStringLiteral(
    "Error: Invalid or missing Base API endpoint in UserDefaults. Falling back to live.");

class APIManagerTest : public ScriptedBackendTest {
protected:
    APIManagerTest() {
        defaults().remove("selectedApiEndpoint");
        log().clear();
    }

    void store(const DefaultsValue& value) const {
        ASSERT_TRUE(defaults().set("selectedApiEndpoint", value));
    }
    static QString live() { return apiUrlTable().at("live"); }
    APIManager& manager_ = APIManager::shared();
};

TEST_F(APIManagerTest, MissingOrUnknownSettingFallsBackToLiveOnEveryCall) {
    EXPECT_EQ(manager_.apiUrl(), live());
    EXPECT_EQ(manager_.apiUrl(), live());
    EXPECT_EQ(manager_.baseApiUrl(), baseUrlTable().at("live"));
    EXPECT_EQ(log().lines(), (QStringList{kFallback, kFallback, kBaseFallback}));

    for (const DefaultsValue& unknown :
         {DefaultsValue(QStringLiteral("Live")), DefaultsValue(QStringLiteral("")),
          DefaultsValue(true), DefaultsValue(QByteArray("dev"))}) {
        log().clear();
        store(unknown);
        EXPECT_EQ(manager_.apiUrl(), live());
        EXPECT_EQ(log().lines(), QStringList{kFallback});
    }
}

TEST_F(APIManagerTest, KnownSettingIsUsedSilently) {
    store(QStringLiteral("staging"));
    EXPECT_EQ(manager_.apiUrl(), baseUrlTable().at("staging") + "/api/v1");
    EXPECT_EQ(manager_.baseApiUrl(), baseUrlTable().at("staging"));
    EXPECT_TRUE(log().lines().isEmpty());
}

TEST_F(APIManagerTest, CurrentUrlsStayFixedAfterAnEndpointChange) {
    EXPECT_EQ(currentApiUrl(), live());
    EXPECT_EQ(log().lines(),
              (QStringList{kFallback, "CURRENT API URL IN API MANAGER " + live(), kFallback}));
    EXPECT_EQ(currentBaseApiUrl(), baseUrlTable().at("live"));
    log().clear();

    store(QStringLiteral("dev"));
    Platform::current().notificationCenter().post(NotificationNames::apiEndpointChanged);

    EXPECT_EQ(log().lines(), (QStringList{"API Endpoint changed to: " + base + "/api/v1",
                                          "BASE API Endpoint changed to : " + base}));
    EXPECT_EQ(manager_.apiUrl(), base + "/api/v1");
    EXPECT_EQ(currentApiUrl(), live());
    EXPECT_EQ(currentBaseApiUrl(), baseUrlTable().at("live"));
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
