#pragma once

#include <map>
#include <string>
#include <string_view>

namespace backend {

/// The fields of a query string or an application/x-www-form-urlencoded body, decoded; of
/// repeated names the last counts. Malformed percent escapes make the whole input count as no
/// fields, so that a half-decoded value never reaches a handler.
[[nodiscard]] std::map<std::string, std::string> formFields(std::string_view encoded);

} // namespace backend
