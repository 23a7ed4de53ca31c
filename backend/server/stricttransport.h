#pragma once

#include <optional>
#include <string>

namespace backend {

/// The `Strict-Transport-Security` value for pages served at `publicUrl`, when browsers should
/// keep to HTTPS there: an https URL whose host is a DNS name. An IP address or localhost is
/// shared by every local server, so pinning it would break the others.
[[nodiscard]] std::optional<std::string> strictTransportSecurity(const std::string& publicUrl);

} // namespace backend
