#include "panel/sessiontabsstate.h"

#include "api/appversion.h"
#include "api/handleapirequests.h"
#include "signin/minimumheight.h"
#include "stores/apimanager.h"
#include "stores/incommingupdatesmanager.h"

SessionTabsState::SessionTabsState(ComposeWindow& window)
    : buttonStateManager_(new ButtonStateManager(window, this))
    , summarizeStateManager_(new SummarizeStateManager(window, this))
    , customHeight_(minimumHeightFor(window.context())) {}

void SessionTabsState::appear(QQuickItem* view) {
    if (const std::optional<QString>& version = appVersion()) {
        HandleApiRequests::checkForNewVersion(
            currentApiUrl() + QStringLiteral("/apple-version"), *version, [](const auto& result) {
                storeVersionCheck(result, IncommingUpdatesManager::shared());
            });
    }
    summarizeStateManager_->loadSavedSummary();
    buttonStateManager_->loadSavedResponses();
    installEventMonitor(view);
}

void SessionTabsState::disappear() {
    removeEventMonitor();
}
