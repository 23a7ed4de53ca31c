#pragma once

#include "language.h"

#include <cstddef>
#include <string_view>

namespace backend {

/// The words a reply puts round its points. Each draft of one reply is worded anew, so that a
/// person who asks for another draft sees one.
struct Framing {
    std::string_view thanks;
    std::string_view nothingAsked; ///< after `thanks`, when the message asks nothing
    std::string_view closing;
};

/// How many drafts are worded differently before the first wording comes back.
constexpr std::size_t kFramings = 3;

/// The framing of the `draft`-th reply (from 0) in `language`; the first is the phrases' own.
[[nodiscard]] Framing framingFor(Language language, std::size_t draft);

} // namespace backend
