#pragma once

#include <QObject>
#include <QString>
#include <optional>

/// The signed-in user as the backend describes them.
class UserDetailsManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString email READ email WRITE setEmail NOTIFY emailChanged FINAL)

public:
    /// The process's.
    [[nodiscard]] static UserDetailsManager& shared();
    UserDetailsManager() = default;

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
    /// Forgets the address and name that requests carry, so that the next user's requests do
    /// not carry this one's until their own check.
    void forgetUser();

signals:
    void emailChanged();

private:
    QString email_;
};
