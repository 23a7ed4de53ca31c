#include "openings.h"

#include <algorithm>
#include <cctype>

namespace backend {
namespace {

unsigned char firstByte(std::string_view text) {
    return static_cast<unsigned char>(text.front());
}

} // namespace

Openings::Openings(std::initializer_list<std::string_view> phrases)
    : phrases_(phrases) {
    std::erase_if(phrases_, [](std::string_view p) { return p.empty(); });
    std::stable_sort(phrases_.begin(), phrases_.end(), [](std::string_view a, std::string_view b) {
        return firstByte(a) < firstByte(b);
    });
    for (int byte = 0; byte < 256; ++byte) {
        start_[byte + 1] = static_cast<std::uint16_t>(
            start_[byte] + std::count_if(phrases_.begin(), phrases_.end(),
                                         [&](std::string_view p) { return firstByte(p) == byte; }));
    }
}

std::span<const std::string_view> Openings::startingWith(char first) const {
    const auto byte = static_cast<unsigned char>(first);
    return std::span(phrases_).subspan(start_[byte], start_[byte + 1] - start_[byte]);
}

bool Openings::startsText(std::string_view text) const {
    return !text.empty() && std::ranges::any_of(startingWith(text.front()),
                                                [&](auto p) { return text.starts_with(p); });
}

bool Openings::opensWithWord(std::string_view text) const {
    return !text.empty() && std::ranges::any_of(startingWith(text.front()), [&](auto p) {
        if (!text.starts_with(p) || text.size() == p.size()) {
            return text.starts_with(p);
        }
        // Bytes of multi-byte characters count as letters.
        const auto next = static_cast<unsigned char>(text[p.size()]);
        return next < 0x80 && !std::isalpha(next);
    });
}

} // namespace backend
