#include "stricttransport.h"

#include <boost/algorithm/string/predicate.hpp>
#include <boost/url/parse.hpp>

namespace backend {

std::optional<std::string> strictTransportSecurity(const std::string& publicUrl) {
    const auto url = boost::urls::parse_absolute_uri(publicUrl);
    if (!url || url->scheme_id() != boost::urls::scheme::https ||
        url->host_type() != boost::urls::host_type::name) {
        return std::nullopt;
    }
    const std::string host = url->host();
    if (boost::algorithm::iequals(host, "localhost") ||
        boost::algorithm::iends_with(host, ".localhost")) {
        return std::nullopt;
    }
    return "max-age=31536000";
}

} // namespace backend
