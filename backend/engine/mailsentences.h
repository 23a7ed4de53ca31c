#pragma once

#include <string>
#include <vector>

namespace backend {

/// The sentences of a mail's own text, without its greeting and sign-off, and the sender's
/// name as it stands below the sign-off (empty when there is none).
struct MailSentences {
    std::vector<std::string> sentences;
    std::string sender;
};

/// Decodes `mail` (see mailText) and splits it into sentences.
[[nodiscard]] MailSentences splitSentences(const std::string& mail);

} // namespace backend
