#include "stores/authmanager.h"

#include "platform.h"
#include "stores/notificationnames.h"

#include <QThread>

AuthManager& AuthManager::shared() {
    static AuthManager instance;
    return instance;
}

void AuthManager::setAccessToken(const std::optional<QString>& token) {
    if (token == accessToken_) {
        return;
    }
    accessToken_ = token;
    if (QThread::currentThread() == thread()) {
        emit accessTokenChanged();
    } else {
        QMetaObject::invokeMethod(this, &AuthManager::accessTokenChanged, Qt::QueuedConnection);
    }
}

void AuthManager::logoutPressed() {
    Log::line("Logout button clicked");
    logout();
}

void AuthManager::logout() {
    setAccessToken(std::nullopt);
    Platform& platform = Platform::current();
    UserDefaults& defaults = platform.userDefaults();
    for (const QString& key : defaults.keys()) {
        defaults.remove(key);
    }
    Log::line("UserDefaults cleared");
    platform.urlSession().removeAllCachedResponses();
    Log::line("URLSession cache cleared");
    platform.notificationCenter().post(NotificationNames::userDidLogout);
}
