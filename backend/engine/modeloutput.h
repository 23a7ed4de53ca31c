#pragma once

#include <string>
#include <string_view>

namespace backend {

/// The draft in a model's answer and nothing else: reasoning blocks, a preamble addressed to
/// the model's user and a closing offer are dropped, and Markdown becomes plain text, since
/// the compose area is plain text. Empty when no draft is left.
[[nodiscard]] std::string draftFromModelOutput(std::string_view content);

} // namespace backend
