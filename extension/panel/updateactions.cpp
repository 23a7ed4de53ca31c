#include "panel/updateactions.h"

#include "url.h"

void UpdateActions::updateNow() {
    Log::line("Update now clicked");
    const std::optional<QString>& address = services_.updates.updateUrl;
    if (!address) {
        return;
    }
    if (const std::optional<QUrl> url = parseUrl(*address)) {
        (void)services_.workspace.open(*url); // the outcome is not shown
    }
}

void UpdateActions::remindLater() {
    Log::line("Remind me later clicked");
    services_.updates.setIncommingUpdatesAvailable(false);
}

void UpdateActions::logOut() {
    services_.auth.logoutPressed();
}
