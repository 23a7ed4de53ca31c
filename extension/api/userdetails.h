#pragma once

#include "api/apiresult.h"

#include <QString>

class AuthManager;
class UserDetailsManager;

/// Who holds the access token, as the backend's "/me" answer names them.
struct UserDetails {
    QString email;
    QString name;

    /// E-mail address first, since assigning it runs the store's change hook.
    void storeIn(UserDetailsManager& store) const;
};

/// A completion that files fetched details in `store` while `auth` still holds `sentWith`, the
/// token they were fetched with: after a sign-out they are no longer the signed-in user's. A
/// failure is ignored; the fetch has logged it.
[[nodiscard]] ApiCompletion<UserDetails>
storingUserDetailsIn(UserDetailsManager& store, const AuthManager& auth, QString sentWith);
