#pragma once

#include "keymonitor.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>
#include <memory>

class QQuickItem;

/// Whether a view's developer menu is open, and the key monitor that opens and closes it.
class DeveloperMenuState : public QObject {
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(bool showDeveloperMenu READ showDeveloperMenu WRITE setShowDeveloperMenu NOTIFY
                   showDeveloperMenuChanged FINAL)

public:
    /// Monitors go onto views' windows through `keyMonitor`.
    explicit DeveloperMenuState(KeyMonitor& keyMonitor, QObject* parent = nullptr)
        : QObject(parent)
        , keyMonitor_(keyMonitor) {}

    [[nodiscard]] bool showDeveloperMenu() const { return showDeveloperMenu_; }
    void setShowDeveloperMenu(bool show);

signals:
    void showDeveloperMenuChanged();

protected:
    /// Puts a monitor of the developer-menu shortcut on the view's window, in place of the one
    /// installed before; none when the view has no window.
    void installEventMonitor(const QQuickItem* view);
    void removeEventMonitor() { eventMonitor_.reset(); }

private:
    KeyMonitor& keyMonitor_;
    bool showDeveloperMenu_ = false;
    std::unique_ptr<KeyMonitor::Monitor> eventMonitor_;
};
