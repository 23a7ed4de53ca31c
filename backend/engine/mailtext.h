#pragma once

#include <string>

namespace backend {

/// The readable UTF-8 text of a mail body as the client sends it: MIME parts decoded
/// (text/plain preferred, HTML turned to text), quoted replies and signatures dropped.
[[nodiscard]] std::string mailText(const std::string& body);

} // namespace backend
