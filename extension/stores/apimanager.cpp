#include "stores/apimanager.h"

#include "platform.h"
#include "stores/deployments.h"
#include "stores/notificationnames.h"

namespace {

const QString kSelectedEndpointKey = QStringLiteral("selectedApiEndpoint");

QString resolve(const std::map<QString, QString>& table, const char* fallbackLine) {
    const std::optional<QString> selected =
        Platform::current().userDefaults().string(kSelectedEndpointKey);
    if (selected) {
        if (auto it = table.find(*selected); it != table.end()) {
            return it->second;
        }
    }
    Log::line(fallbackLine);
    return table.at(QStringLiteral("live"));
}

} // namespace

APIManager& APIManager::shared() {
    static APIManager instance;
    return instance;
}

APIManager::APIManager()
    : observation_(Platform::current().notificationCenter().addObserver(
          NotificationNames::apiEndpointChanged, [this] { apiEndpointChanged(); })) {}

QString APIManager::apiUrl() const {
    return resolve(apiUrlTable(),
                   "Error: Invalid or missing API endpoint in UserDefaults. Falling back to live.");
}

QString APIManager::baseApiUrl() const {
    return resolve(
        baseUrlTable(),
        "Error: Invalid or missing Base API endpoint in UserDefaults. Falling back to live.");
}

void APIManager::apiEndpointChanged() const {
    Log::line("API Endpoint changed to: " + apiUrl());
    Log::line("BASE API Endpoint changed to : " + baseApiUrl());
}

namespace {

/// Logs the selected URL under `label`, then resolves it again for keeps: the second
/// resolution logs its own fallback line, as the first did.
QString resolveForKeeps(const char* label, QString (APIManager::*resolve)() const) {
    const APIManager& manager = APIManager::shared();
    Log::line(label, (manager.*resolve)());
    return (manager.*resolve)();
}

} // namespace

const QString& currentApiUrl() {
    static const QString url =
        resolveForKeeps("CURRENT API URL IN API MANAGER", &APIManager::apiUrl);
    return url;
}

const QString& currentBaseApiUrl() {
    static const QString url =
        resolveForKeeps("CURRENT BASE API URL IN API MANAGER", &APIManager::baseApiUrl);
    return url;
}
