#pragma once

#include <string>

namespace backend {

/// The addresses of one client as the connection cap and the sign-in limits count them: an IPv4
/// address (also when mapped into IPv6), or the /64 network of an IPv6 one, since each of its
/// hosts picks among 2^64 addresses of its own. Text that is no address is kept as it is.
[[nodiscard]] std::string addressBlock(const std::string& address);

} // namespace backend
