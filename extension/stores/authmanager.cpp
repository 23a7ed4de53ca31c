#include "stores/authmanager.h"

#include "platform.h"
#include "stores/notificationnames.h"
#include "stores/userdetailsmanager.h"

AuthManager& AuthManager::shared() {
    static AuthManager instance(
        Platform::current().userDefaults(), Platform::current().urlSession(),
        Platform::current().notificationCenter(), UserDetailsManager::shared());
    return instance;
}

void AuthManager::logoutPressed() {
    Log::line("Logout button clicked");
    logout();
}

void AuthManager::logout() {
    setAccessToken(std::nullopt);
    defaults_.remove(defaults_.keys());
    Log::line("UserDefaults cleared");
    network_.removeAllCachedResponses();
    Log::line("URLSession cache cleared");
    userDetails_.forgetUser();
    notifications_.post(NotificationNames::userDidLogout);
}
