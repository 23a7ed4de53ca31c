#pragma once

#include "qmlsingleton.h"

#include <QObject>
#include <QString>
#include <QVariant>
#include <QtQml/qqmlregistration.h>
#include <functional>
#include <optional>

class QQmlEngine;

/// The signed-in user as the backend describes them.
class UserDetailsManager : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QString email READ email WRITE setEmail NOTIFY emailChanged)
    Q_PROPERTY(QVariant accessToken READ accessTokenValue NOTIFY accessTokenChanged)

public:
    [[nodiscard]] static UserDetailsManager& shared();
    static UserDetailsManager* create(QQmlEngine* /*engine*/, QJSEngine* /*scriptEngine*/) {
        return sharedForQml<UserDetailsManager>();
    }

    std::optional<QString> id;
    std::optional<QString> code;
    std::optional<QString> name;
    std::optional<QString> role;
    std::optional<QString> roleLabel;
    std::optional<QString> tokensUsed;
    std::optional<QString> updatedAt;
    std::optional<QString> createdAt;
    /// Called after a change of e-mail or token once both are known.
    std::function<void()> emailChangeObserver;

    [[nodiscard]] QString email() const { return email_; }
    void setEmail(const QString& email);
    [[nodiscard]] std::optional<QString> accessToken() const { return accessToken_; }
    void setAccessToken(const std::optional<QString>& token);

signals:
    void emailChanged();
    void accessTokenChanged();

private:
    UserDetailsManager() = default;
    [[nodiscard]] QVariant accessTokenValue() const;
    void emailOrTokenAssigned();

    QString email_;
    std::optional<QString> accessToken_;
};
