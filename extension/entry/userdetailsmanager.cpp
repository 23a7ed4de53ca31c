#include "userdetailsmanager.h"

UserDetailsManager& UserDetailsManager::shared() {
    static UserDetailsManager instance;
    return instance;
}

void UserDetailsManager::setEmail(const QString& email) {
    // Every assignment runs the change hook, also one of the same value.
    if (email != email_) {
        email_ = email;
        emit emailChanged();
    }
    emailOrTokenAssigned();
}

void UserDetailsManager::setAccessToken(const std::optional<QString>& token) {
    if (token != accessToken_) {
        accessToken_ = token;
        emit accessTokenChanged();
    }
    emailOrTokenAssigned();
}

QVariant UserDetailsManager::accessTokenValue() const {
    return accessToken_ ? QVariant(*accessToken_) : QVariant();
}

void UserDetailsManager::emailOrTokenAssigned() {
    if (email_.isEmpty() || !accessToken_) {
        return;
    }
    if (emailChangeObserver) {
        emailChangeObserver();
    }
}
