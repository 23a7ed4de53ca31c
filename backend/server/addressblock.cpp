#include "addressblock.h"

#include <algorithm>
#include <arpa/inet.h>
#include <array>

namespace backend {

std::string addressBlock(const std::string& address) {
    std::array<unsigned char, 16> bytes{};
    if (inet_pton(AF_INET6, address.c_str(), bytes.data()) != 1) {
        return address;
    }
    std::array<char, INET6_ADDRSTRLEN> text{};
    constexpr std::array<unsigned char, 12> v4Mapped{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    if (std::equal(v4Mapped.begin(), v4Mapped.end(), bytes.begin())) {
        inet_ntop(AF_INET, &bytes[12], text.data(), text.size());
        return text.data();
    }
    std::fill(bytes.begin() + 8, bytes.end(), 0);
    inet_ntop(AF_INET6, bytes.data(), text.data(), text.size());
    return std::string(text.data()) + "/64";
}

} // namespace backend
