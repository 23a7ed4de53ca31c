#include "panel/updateactions.h"

#include "platform.h"
#include "stores/authmanager.h"
#include "stores/incommingupdatesmanager.h"
#include "url.h"

void UpdateActions::updateNow() {
    Log::line("Update now clicked");
    const std::optional<QString>& address = IncommingUpdatesManager::shared().updateUrl;
    if (!address) {
        return;
    }
    if (const std::optional<QUrl> url = parseUrl(*address)) {
        (void)Platform::current().workspace().open(*url); // the outcome is not shown
    }
}

void UpdateActions::remindLater() {
    Log::line("Remind me later clicked");
    IncommingUpdatesManager::shared().setIncommingUpdatesAvailable(false);
}

void UpdateActions::logOut() {
    AuthManager::shared().logoutPressed();
}
