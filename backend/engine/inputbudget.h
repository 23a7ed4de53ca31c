#pragma once

#include <cstddef>
#include <string>

namespace backend {

/// A mail's text cut to at most `maxCharacters` code points, keeping its start and ending at
/// the last sentence end within the budget (a word end when no sentence ends in its second
/// half). Unchanged when it fits.
struct InputBudget {
    std::string text;
    std::size_t characters = 0;
    std::size_t originalCharacters = 0;

    InputBudget(std::string input, std::size_t maxCharacters);
    [[nodiscard]] bool cut() const { return characters < originalCharacters; }
};

} // namespace backend
