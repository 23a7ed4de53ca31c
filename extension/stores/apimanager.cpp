#include "stores/apimanager.h"

#include "platform.h"
#include "stores/notificationnames.h"

#include <functional>

namespace {

const QString kSelectedEndpointKey = QStringLiteral("selectedApiEndpoint");

/// Logs the selected URL under `label`, then resolves it again for keeps: the second
/// resolution logs its own fallback line, as the first did.
QString resolveForKeeps(const char* label, const std::function<QString()>& resolve) {
    Log::line(label, resolve());
    return resolve();
}

} // namespace

APIManager& APIManager::shared() {
    static APIManager instance(Platform::current().userDefaults(),
                               Platform::current().notificationCenter());
    return instance;
}

APIManager::APIManager(const UserDefaults& defaults, NotificationCenter& notifications,
                       std::map<QString, QString> baseUrls)
    : defaults_(defaults)
    , baseUrls_(std::move(baseUrls))
    , endpointObservation_(notifications.addObserver(NotificationNames::apiEndpointChanged,
                                                     [this] { apiEndpointChanged(); }))
    , logoutObservation_(notifications.addObserver(NotificationNames::userDidLogout,
                                                   [this] { forgetCurrentUrls(); })) {}

QString APIManager::resolveBase(const char* fallbackLine) const {
    if (const std::optional<QString> selected = defaults_.string(kSelectedEndpointKey)) {
        if (auto it = baseUrls_.find(*selected); it != baseUrls_.end()) {
            return it->second;
        }
    }
    Log::line(fallbackLine);
    return baseUrls_.at(QStringLiteral("live"));
}

QString APIManager::apiUrl() const {
    return resolveBase(
               "Error: Invalid or missing API endpoint in UserDefaults. Falling back to live.") +
           QStringLiteral("/api/v1");
}

QString APIManager::baseApiUrl() const {
    return resolveBase(
        "Error: Invalid or missing Base API endpoint in UserDefaults. Falling back to live.");
}

void APIManager::apiEndpointChanged() {
    Log::line("API Endpoint changed to: " + apiUrl());
    Log::line("BASE API Endpoint changed to : " + baseApiUrl());
    forgetCurrentUrls();
}

void APIManager::forgetCurrentUrls() {
    currentApiUrl_.reset();
    currentBaseApiUrl_.reset();
}

const QString& APIManager::currentApiUrl() {
    if (!currentApiUrl_) {
        currentApiUrl_ =
            resolveForKeeps("CURRENT API URL IN API MANAGER", [this] { return apiUrl(); });
    }
    return *currentApiUrl_;
}

const QString& APIManager::currentBaseApiUrl() {
    if (!currentBaseApiUrl_) {
        currentBaseApiUrl_ =
            resolveForKeeps("CURRENT BASE API URL IN API MANAGER", [this] { return baseApiUrl(); });
    }
    return *currentBaseApiUrl_;
}
