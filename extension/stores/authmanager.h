#pragma once

#include "stores/qmlsingleton.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <optional>

class QQmlEngine;

/// The sign-in state. The token lives in memory only, so each process starts signed out.
class AuthManager : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(bool hasAccessToken READ hasAccessToken NOTIFY accessTokenChanged)

public:
    [[nodiscard]] static AuthManager& shared();
    static AuthManager* create(QQmlEngine* /*engine*/, QJSEngine* /*scriptEngine*/) {
        return sharedForQml<AuthManager>();
    }

    [[nodiscard]] const std::optional<QString>& accessToken() const { return accessToken_; }
    /// Views are told on the GUI thread, whichever thread this runs on.
    void setAccessToken(const std::optional<QString>& token);
    [[nodiscard]] bool hasAccessToken() const { return accessToken_.has_value(); }

    /// Forgets the token, every stored default and the cached answers, then tells the windows.
    Q_INVOKABLE void logout();
    /// A "Log out" button of the panel or the update notice: the press is logged first.
    void logoutPressed();

signals:
    void accessTokenChanged();

private:
    AuthManager() = default;

    std::optional<QString> accessToken_;
};
