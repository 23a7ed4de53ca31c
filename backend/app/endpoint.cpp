#include "endpoint.h"

#include <boost/asio/ip/address.hpp>
#include <boost/url/parse.hpp>
#include <boost/url/url.hpp>
#include <charconv>

namespace backend {

std::optional<Endpoint> parseEndpoint(std::string_view text) {
    const auto authority = boost::urls::parse_authority(text);
    if (!authority || authority->has_userinfo() || !authority->has_port()) {
        return std::nullopt;
    }
    // port_number() wraps a port past 65535 round; from_chars refuses it.
    const auto port = authority->port();
    std::uint16_t number = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), number);
    if (port.empty() || error != std::errc() || end != port.data() + port.size()) {
        return std::nullopt;
    }
    const auto type = authority->host_type();
    if (type != boost::urls::host_type::ipv4 && type != boost::urls::host_type::ipv6) {
        return std::nullopt;
    }
    return Endpoint{authority->host_address(), number};
}

bool isLoopback(const std::string& address) {
    boost::system::error_code error;
    const auto parsed = boost::asio::ip::make_address(address, error);
    return !error && parsed.is_loopback();
}

std::string originUrl(std::string_view scheme, const Endpoint& endpoint) {
    boost::urls::url url;
    url.set_scheme(scheme).set_host_address(endpoint.address).set_port_number(endpoint.port);
    return std::string(url.buffer());
}

} // namespace backend
