#pragma once

#include "language.h"
#include "openings.h"

#include <string>
#include <string_view>

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

/// How letters open and close in every language above, to tell greetings and sign-offs from
/// the message's own sentences.
[[nodiscard]] const Openings& greetingOpenings();
[[nodiscard]] const Openings& signOffOpenings();
/// How sentences of courtesy open in every language above ("Thanks for", "I hope", "Merci
/// pour", ...): they carry no news for a summary.
[[nodiscard]] const Openings& courtesyOpenings();
/// How requests open in every language above ("Please", "Merci de", "Bitte", ...).
[[nodiscard]] const Openings& requestOpenings();

} // namespace backend
