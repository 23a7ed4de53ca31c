#include "ownorigin.h"

#include <algorithm>
#include <boost/algorithm/string/predicate.hpp>

namespace backend {

OwnOrigin::OwnOrigin(std::string_view scheme, std::string_view address, std::uint16_t port)
    : schemePrefix_(std::string(scheme) + "://") {
    // An IPv6 address goes in brackets. Built by appending, since GCC 12 at -O3 warns falsely
    // (-Wrestrict) on a literal prepended to a temporary string.
    std::string host;
    const bool bracketed = address.find(':') != std::string_view::npos;
    if (bracketed) {
        host += '[';
    }
    host += address;
    if (bracketed) {
        host += ']';
    }
    hosts_.push_back(host + ":" + std::to_string(port));
    // Browsers leave out the scheme's default port.
    if ((scheme == "http" && port == 80) || (scheme == "https" && port == 443)) {
        hosts_.push_back(host);
    }
}

bool OwnOrigin::isHost(std::string_view host) const {
    return std::ranges::any_of(
        hosts_, [host](const std::string& own) { return boost::algorithm::iequals(host, own); });
}

bool OwnOrigin::isOrigin(std::string_view origin) const {
    return boost::algorithm::istarts_with(origin, schemePrefix_) &&
           isHost(origin.substr(schemePrefix_.size()));
}

} // namespace backend
