#include "typedaddress.h"

namespace backend {

std::string typedAddress(std::string_view typed) {
    constexpr std::string_view spaces = " \t\n\r\f\v";
    const std::size_t first = typed.find_first_not_of(spaces);
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(typed.substr(first, typed.find_last_not_of(spaces) - first + 1));
}

} // namespace backend
