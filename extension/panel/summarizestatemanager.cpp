#include "panel/summarizestatemanager.h"

#include "panel/panelkeys.h"
#include "panel/summaryrequest.h"
#include "platform.h"
#include "stores/assignchanged.h"
#include "stores/optionaltext.h"

#include <QPointer>

SummarizeStateManager::SummarizeStateManager(ComposeWindow& window, QObject* parent)
    : QObject(parent)
    , window_(window)
    , summarizeResponseKey_(PanelKeys::summarizeResponseKey(window.context().messageId)) {}

void SummarizeStateManager::setSummarizeLoading(bool loading) {
    if (assignChanged(isSummarizeLoading_, loading)) {
        emit isSummarizeLoadingChanged();
    }
}

void SummarizeStateManager::setSummarizeResponse(const std::optional<QString>& summary) {
    if (assignChanged(summarizeResponse_, summary)) {
        emit summarizeResponseChanged();
    }
}

void SummarizeStateManager::loadSavedSummary() {
    setSummarizeResponse(Platform::current().userDefaults().string(summarizeResponseKey_));
}

void SummarizeStateManager::requestSummary() {
    if (summarizeResponse_ || isSummarizeLoading_) {
        return;
    }
    setSummarizeLoading(true);
    runSummaryRequest(
        window_, [self = QPointer(this)](const ApiResult<SummarizedResponse>& outcome) {
            if (!self) {
                return;
            }
            if (const auto* result = std::get_if<SummarizedResponse>(&outcome)) {
                self->setSummarizeResponse(result->response);
                UserDefaults& defaults = Platform::current().userDefaults();
                (void)defaults.set(PanelKeys::summaryDoneFlag(self->window_.context().messageId),
                                   true); // failures are logged
                // Reloading after a failed write would replace the new summary on screen.
                if (defaults.set(self->summarizeResponseKey_, result->response)) {
                    self->loadSavedSummary();
                }
            }
            self->setSummarizeLoading(false);
        });
}

QVariant SummarizeStateManager::summarizeResponseValue() const {
    return optionalTextValue(summarizeResponse_);
}
