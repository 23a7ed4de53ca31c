#include "loginviewstate.h"

#include "developermenushortcut.h"
#include "platform.h"
#include "replyemailmanager.h"

#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>

LoginViewState::LoginViewState(QObject* parent)
    : QObject(parent)
    , customHeight_(ReplyEmailManager::shared().subject ? 550 : 400) {}

void LoginViewState::setShowDeveloperMenu(bool show) {
    if (show != showDeveloperMenu_) {
        showDeveloperMenu_ = show;
        emit showDeveloperMenuChanged();
    }
}

void LoginViewState::loginButtonTapped() {
    if (onLoginButtonTap) {
        onLoginButtonTap();
    }
}

void LoginViewState::appear(QQuickItem* view) {
    if (!hasAddedEventMonitor_) {
        eventMonitor_ = Platform::current().keyMonitor().addLocalMonitor(
            view != nullptr ? view->window() : nullptr,
            [self = QPointer(this)](const KeyDown& event) {
                if (!self || !isDeveloperMenuShortcut(event)) {
                    return false;
                }
                self->setShowDeveloperMenu(!self->showDeveloperMenu_);
                return true;
            });
        hasAddedEventMonitor_ = true;
    }
    Log::line("i enter in the login content view page");
}

void LoginViewState::disappear() {
    eventMonitor_.reset();
}
