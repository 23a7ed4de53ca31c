#include "stores/userdetailsmanager.h"

UserDetailsManager& UserDetailsManager::shared() {
    static UserDetailsManager instance;
    return instance;
}

void UserDetailsManager::setEmail(const QString& email) {
    if (email != email_) {
        email_ = email;
        emit emailChanged();
    }
}

void UserDetailsManager::forgetUser() {
    setEmail(QString());
    name.reset();
}
