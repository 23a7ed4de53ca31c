#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

namespace backend {

/// Phrases that open sentences, kept by their first byte: a sentence is compared only with
/// the few that start as it does, since each list is checked on every sentence of a mail.
class Openings {
public:
    Openings(std::initializer_list<std::string_view> phrases);

    /// Whether `text` starts with one of the phrases.
    [[nodiscard]] bool startsText(std::string_view text) const;
    /// Whether `text` opens with one of the phrases as a whole word: "Pode" opens "Pode
    /// enviar", not "Podemos"; "Best" opens "Best," not "Beste,".
    [[nodiscard]] bool opensWithWord(std::string_view text) const;
    /// The phrases whose first byte is `first`.
    [[nodiscard]] std::span<const std::string_view> startingWith(char first) const;

private:
    std::vector<std::string_view> phrases_;  // by first byte, each byte's in the given order
    std::array<std::uint16_t, 257> start_{}; // where each first byte's phrases begin
};

} // namespace backend
