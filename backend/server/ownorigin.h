#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace backend {

/// The origin a listener is reached by: its own scheme, address and port, and no other name.
/// A DNS name that an attacker rebinds to loopback arrives as another `Host`; a form that another
/// site posts arrives with its `Origin`.
class OwnOrigin {
public:
    OwnOrigin(std::string_view scheme, std::string_view address, std::uint16_t port);

    [[nodiscard]] bool isHost(std::string_view host) const;
    /// True for this origin only; `null`, which a browser sends for an opaque origin, is not it.
    [[nodiscard]] bool isOrigin(std::string_view origin) const;

private:
    std::string schemePrefix_;
    std::vector<std::string> hosts_;
};

} // namespace backend
