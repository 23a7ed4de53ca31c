#include "signin/loginviewstate.h"

#include "log.h"
#include "signin/minimumheight.h"

LoginViewState::LoginViewState(const ComposeWindow& window, QObject* parent)
    : DeveloperMenuState(window.services().keyMonitor, parent)
    , customHeight_(minimumHeightFor(window.context()))
    , endpoints_(new EndpointSelection(window.services(), this)) {}

void LoginViewState::loginButtonTapped() {
    if (onLoginButtonTap) {
        onLoginButtonTap();
    }
}

void LoginViewState::appear(QQuickItem* view) {
    if (!hasAddedEventMonitor_) {
        installEventMonitor(view);
        hasAddedEventMonitor_ = true;
    }
    Log::line("i enter in the login content view page");
}

void LoginViewState::disappear() {
    removeEventMonitor();
}
