#include "signin/developermenustate.h"

#include "signin/developermenushortcut.h"

#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>

void DeveloperMenuState::setShowDeveloperMenu(bool show) {
    if (show != showDeveloperMenu_) {
        showDeveloperMenu_ = show;
        emit showDeveloperMenuChanged();
    }
}

void DeveloperMenuState::installEventMonitor(const QQuickItem* view) {
    eventMonitor_ = keyMonitor_.addLocalMonitor(
        view != nullptr ? view->window() : nullptr, [self = QPointer(this)](const KeyDown& event) {
            if (!self || !isDeveloperMenuShortcut(event)) {
                return false;
            }
            self->setShowDeveloperMenu(!self->showDeveloperMenu_);
            return true;
        });
}
