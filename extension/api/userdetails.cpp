#include "api/userdetails.h"

#include "stores/userdetailsmanager.h"

void UserDetails::storeIn(UserDetailsManager& store) const {
    store.setEmail(email);
    store.name = name;
}

ApiCompletion<UserDetails> storingUserDetailsIn(UserDetailsManager& store) {
    return [&store](const ApiResult<UserDetails>& result) {
        if (const auto* details = std::get_if<UserDetails>(&result)) {
            details->storeIn(store);
        }
    };
}
