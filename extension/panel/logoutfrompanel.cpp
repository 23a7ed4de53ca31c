#include "panel/logoutfrompanel.h"

#include "log.h"
#include "stores/authmanager.h"

void logOutFromPanel() {
    Log::line("Logout button clicked");
    AuthManager::shared().logout();
}
