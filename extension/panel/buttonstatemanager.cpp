#include "panel/buttonstatemanager.h"

#include "panel/panelkeys.h"
#include "platform.h"
#include "stores/assignchanged.h"
#include "stores/optionaltext.h"

#include <QPointer>

ButtonStateManager::ButtonStateManager(ComposeWindow& window, QObject* parent)
    : QObject(parent)
    , window_(window)
    , summarizeResponseKey_(PanelKeys::summarizeResponseKey(window.context().messageId))
    , generateResponseKey_(PanelKeys::generateResponseKey(window.context().messageId)) {}

void ButtonStateManager::setGenerateResponseLoading(bool loading) {
    if (assignChanged(isGenerateResponseLoading_, loading)) {
        emit isGenerateResponseLoadingChanged();
    }
}

void ButtonStateManager::setGenerateResponse(const std::optional<QString>& reply) {
    if (assignChanged(generateResponse_, reply)) {
        emit generateResponseChanged();
    }
}

void ButtonStateManager::setSummarizeResponse(const std::optional<QString>& summary) {
    if (assignChanged(summarizeResponse_, summary)) {
        emit summarizeResponseChanged();
    }
}

void ButtonStateManager::setShowToast(bool show) {
    if (!assignChanged(showToast_, show)) {
        return;
    }
    emit showToastChanged();
    if (show) {
        // Never cancelled: a toast shown again before this runs still hides on time.
        Platform::current().mainQueue().asyncAfter(toastSeconds, [self = QPointer(this)] {
            if (self) {
                self->setShowToast(false);
            }
        });
    }
}

void ButtonStateManager::setToastMessage(const QString& message) {
    if (assignChanged(toastMessage_, message)) {
        emit toastMessageChanged();
    }
}

void ButtonStateManager::toast(const QString& message) {
    setToastMessage(message);
    setShowToast(true);
}

void ButtonStateManager::loadSavedResponses() {
    const UserDefaults& defaults = Platform::current().userDefaults();
    setSummarizeResponse(defaults.string(summarizeResponseKey_));
    setGenerateResponse(defaults.string(generateResponseKey_));
}

QVariant ButtonStateManager::summarizeResponseValue() const {
    return optionalTextValue(summarizeResponse_);
}

QVariant ButtonStateManager::generateResponseValue() const {
    return optionalTextValue(generateResponse_);
}
