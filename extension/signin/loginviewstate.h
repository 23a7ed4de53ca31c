#pragma once

#include "signin/developermenustate.h"
#include "signin/endpointselection.h"
#include "stores/composewindow.h"

#include <QQuickItem>
#include <functional>

/// What the login view keeps and does: its height, the developer menu with its endpoint picker
/// and key monitor, and the login button's action.
class LoginViewState : public DeveloperMenuState {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made with its compose window")
    Q_PROPERTY(int customHeight READ customHeight CONSTANT FINAL)
    Q_PROPERTY(EndpointSelection* endpoints READ endpoints CONSTANT FINAL)

public:
    /// The height is the window's least height.
    explicit LoginViewState(const ComposeWindow& window, QObject* parent = nullptr);

    /// Run by the "Login" button and by nothing else.
    std::function<void()> onLoginButtonTap;

    [[nodiscard]] int customHeight() const { return customHeight_; }
    [[nodiscard]] EndpointSelection* endpoints() const { return endpoints_; }

    Q_INVOKABLE void loginButtonTapped();
    /// The view came on screen: the first time, the developer key monitor goes onto its
    /// window.
    Q_INVOKABLE void appear(QQuickItem* view);
    /// The view left the screen: its monitor goes; this view never installs another.
    Q_INVOKABLE void disappear();

private:
    const int customHeight_;
    EndpointSelection* const endpoints_;
    bool hasAddedEventMonitor_ = false;
};
