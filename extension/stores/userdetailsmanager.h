#pragma once

#include "stores/qmlsingleton.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <optional>

class QQmlEngine;

/// The signed-in user as the backend describes them.
class UserDetailsManager : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QString email READ email WRITE setEmail NOTIFY emailChanged)

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

    [[nodiscard]] QString email() const { return email_; }
    void setEmail(const QString& email);

signals:
    void emailChanged();

private:
    UserDetailsManager() = default;

    QString email_;
};
