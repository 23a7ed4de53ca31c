#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace backend {

/// An IP address and port to listen on; the address without brackets.
struct Endpoint {
    std::string address;
    std::uint16_t port = 0;
};

/// Reads "ADDRESS:PORT", with an IPv6 address in brackets; nothing when the text is not one.
[[nodiscard]] std::optional<Endpoint> parseEndpoint(std::string_view text);

/// Whether `address` is an IP address that only this machine reaches.
[[nodiscard]] bool isLoopback(const std::string& address);

/// "scheme://address:port", with an IPv6 address in brackets.
[[nodiscard]] std::string originUrl(std::string_view scheme, const Endpoint& endpoint);

} // namespace backend
