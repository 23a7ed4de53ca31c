#include "api/userdetails.h"

#include "stores/authmanager.h"
#include "stores/userdetailsmanager.h"

void UserDetails::storeIn(UserDetailsManager& store) const {
    store.setEmail(email);
    store.name = name;
}

ApiCompletion<UserDetails> storingUserDetailsIn(UserDetailsManager& store, const AuthManager& auth,
                                                QString sentWith) {
    return [&store, &auth, sentWith = std::move(sentWith)](const ApiResult<UserDetails>& result) {
        if (const auto* details = std::get_if<UserDetails>(&result);
            details && auth.stillSignedInWith(sentWith)) {
            details->storeIn(store);
        }
    };
}
