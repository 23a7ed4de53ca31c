#pragma once

#include "keymonitor.h"

#include <QObject>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>
#include <functional>
#include <memory>

/// What the login view keeps and does: its height, the developer menu and its key monitor,
/// and the login button's action.
class LoginViewState : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(int customHeight READ customHeight CONSTANT)
    Q_PROPERTY(bool showDeveloperMenu READ showDeveloperMenu WRITE setShowDeveloperMenu NOTIFY
                   showDeveloperMenuChanged)

public:
    /// The height comes from the reply context as it is now: 550 when answering a message
    /// with a subject, else 400.
    explicit LoginViewState(QObject* parent = nullptr);

    /// Run by the "Login" button and by nothing else.
    std::function<void()> onLoginButtonTap;

    [[nodiscard]] int customHeight() const { return customHeight_; }
    [[nodiscard]] bool showDeveloperMenu() const { return showDeveloperMenu_; }
    void setShowDeveloperMenu(bool show);
    [[nodiscard]] bool hasAddedEventMonitor() const { return hasAddedEventMonitor_; }

    Q_INVOKABLE void loginButtonTapped();
    /// The view came on screen: the first time, the developer key monitor goes onto its
    /// window.
    Q_INVOKABLE void appear(QQuickItem* view);
    /// The view left the screen: its monitor goes; this view never installs another.
    Q_INVOKABLE void disappear();

signals:
    void showDeveloperMenuChanged();

private:
    const int customHeight_;
    bool showDeveloperMenu_ = false;
    bool hasAddedEventMonitor_ = false;
    std::unique_ptr<KeyMonitor::Monitor> eventMonitor_;
};
