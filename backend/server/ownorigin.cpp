#include "ownorigin.h"

#include <algorithm>
#include <boost/algorithm/string/predicate.hpp>

namespace backend {

OwnOrigin::OwnOrigin(std::string_view scheme, std::string_view address, std::uint16_t port)
    : schemePrefix_(std::string(scheme) + "://") {
    const std::string host = address.find(':') == std::string_view::npos
                                 ? std::string(address)
                                 : "[" + std::string(address) + "]";
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
