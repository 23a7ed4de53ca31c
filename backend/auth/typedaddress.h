#pragma once

#include <string>
#include <string_view>

namespace backend {

/// An e-mail address as typed, without the spaces a keyboard or a paste adds around it: as
/// `user add` keeps an account's address and as sign-in compares it.
[[nodiscard]] std::string typedAddress(std::string_view typed);

} // namespace backend
