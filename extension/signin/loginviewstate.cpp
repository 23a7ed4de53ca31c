#include "signin/loginviewstate.h"

#include "log.h"

LoginViewState::LoginViewState(int customHeight, QObject* parent)
    : DeveloperMenuState(parent)
    , customHeight_(customHeight) {}

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
