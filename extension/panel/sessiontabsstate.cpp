#include "panel/sessiontabsstate.h"

#include "api/appversion.h"
#include "api/handleapirequests.h"
#include "signin/minimumheight.h"

SessionTabsState::SessionTabsState(ComposeWindow& window)
    : DeveloperMenuState(window.services().keyMonitor)
    , window_(window)
    , buttonStateManager_(new ButtonStateManager(window, this))
    , summarizeStateManager_(new SummarizeStateManager(window, this))
    , customHeight_(minimumHeightFor(window.context()))
    , endpoints_(new EndpointSelection(window.services(), this))
    , updateActions_(new UpdateActions(window.services(), this)) {
    // The view is then made as it will show; appearing loads the same again and changes nothing.
    summarizeStateManager_->loadSavedSummary();
    buttonStateManager_->loadSavedResponses();
}

void SessionTabsState::appear(QQuickItem* view) {
    const ExtensionServices& services = window_.services();
    if (const std::optional<QString> version = appVersion(services.bundle)) {
        HandleApiRequests(services).checkForNewVersion(
            services.api.currentApiUrl() + QStringLiteral("/apple-version"), *version,
            [&updates = services.updates](const auto& result) {
                storeVersionCheck(result, updates);
            });
    }
    summarizeStateManager_->loadSavedSummary();
    buttonStateManager_->loadSavedResponses();
    installEventMonitor(view);
}

void SessionTabsState::disappear() {
    removeEventMonitor();
}
