#include "authmanager.h"

#include "notificationnames.h"
#include "platform.h"

AuthManager& AuthManager::shared() {
    static AuthManager instance;
    return instance;
}

void AuthManager::logout() {
    accessToken.reset();
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
