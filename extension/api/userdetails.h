#pragma once

#include "api/apiresult.h"

#include <QString>

class UserDetailsManager;

/// Who holds the access token, as the backend's "/me" answer names them.
struct UserDetails {
    QString email;
    QString name;

    /// E-mail address first, since assigning it runs the store's change hook.
    void storeIn(UserDetailsManager& store) const;
};

/// A completion that files fetched details in `store` and ignores a failure, which the fetch
/// has logged.
[[nodiscard]] ApiCompletion<UserDetails> storingUserDetailsIn(UserDetailsManager& store);
