#include "logoutfrompanel.h"

#include "authmanager.h"
#include "log.h"

void logOutFromPanel() {
    Log::line("Logout button clicked");
    AuthManager::shared().logout();
}
