#include "panel/sessiontabsstate.h"

#include "api/appversion.h"
#include "api/handleapirequests.h"
#include "signin/minimumheight.h"
#include "stores/apimanager.h"

SessionTabsState::SessionTabsState()
    : buttonStateManager_(new ButtonStateManager(this))
    , summarizeStateManager_(new SummarizeStateManager(this))
    , customHeight_(minimumHeightForReplyContext()) {}

void SessionTabsState::appear(QQuickItem* view) {
    if (const std::optional<QString>& version = appVersion()) {
        HandleApiRequests::checkForNewVersion(currentApiUrl() + QStringLiteral("/apple-version"),
                                              *version);
    }
    summarizeStateManager_->loadSavedSummary();
    buttonStateManager_->loadSavedResponses();
    installEventMonitor(view);
}

void SessionTabsState::disappear() {
    removeEventMonitor();
}
