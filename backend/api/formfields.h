#pragma once

#include <map>
#include <string>

namespace backend {

/// The fields of a query string or an application/x-www-form-urlencoded body, decoded; of
/// repeated names the last counts.
[[nodiscard]] std::map<std::string, std::string> formFields(const std::string& encoded);

} // namespace backend
