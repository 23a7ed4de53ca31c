#pragma once

#include <map>
#include <string>

namespace backend {

/// The fields of a query string or an application/x-www-form-urlencoded body, decoded; of
/// repeated names the last counts. Malformed percent escapes make the whole input count as no
/// fields, so that a half-decoded value never reaches a handler. A std::string, not a view:
/// Boost 1.81's query parser measures its text with strlen, so the text must end in a NUL.
[[nodiscard]] std::map<std::string, std::string> formFields(const std::string& encoded);

} // namespace backend
