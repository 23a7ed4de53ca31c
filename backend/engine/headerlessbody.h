#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace backend {

/// The part headers a single-part body would have carried, judged by its look: the client
/// strips a message's headers, and with them the type and transfer encoding of a lone part.
/// Nothing when the body looks like plain, unencoded text.
[[nodiscard]] std::optional<std::string> guessedPartHeaders(std::string_view body);

} // namespace backend
