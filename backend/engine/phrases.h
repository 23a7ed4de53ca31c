#pragma once

#include "language.h"

#include <string>
#include <string_view>
#include <vector>

namespace backend {

/// The extractive engine's own words in one language, written for this project.
struct Phrases {
    std::string_view greetNamed; ///< followed by the first name and a comma
    std::string_view greetAnyone;
    std::string_view thanks;
    std::string_view nothingAsked;
    std::string_view aboutOpen;  ///< before a question or request, as the reply names it
    std::string_view aboutClose; ///< after it, before the answer
    std::string_view willDo;     ///< the answer to a request, after `aboutClose`
    std::string_view willCheck;  ///< the answer to a question the message does not settle
    std::string_view closing;
    std::string_view noText;
    std::string_view notMentioned;
    std::string_view messageSays; ///< followed by the quoted sentence
};

[[nodiscard]] const Phrases& phrasesFor(Language language);

/// Whether `text` opens with one of `openings` as a whole word: "Pode" opens "Pode enviar",
/// not "Podemos"; "Best" opens "Best," not "Beste,".
[[nodiscard]] bool opensWithWord(std::string_view text,
                                 const std::vector<std::string_view>& openings);

/// How letters open and close in every language above, to tell greetings and sign-offs from
/// the message's own sentences.
[[nodiscard]] const std::vector<std::string_view>& greetingOpenings();
[[nodiscard]] const std::vector<std::string_view>& signOffOpenings();
/// How sentences of courtesy open in every language above ("Thanks for", "I hope", "Merci
/// pour", ...): they carry no news for a summary.
[[nodiscard]] const std::vector<std::string_view>& courtesyOpenings();
/// How requests open in every language above ("Please", "Merci de", "Bitte", ...).
[[nodiscard]] const std::vector<std::string_view>& requestOpenings();

} // namespace backend
