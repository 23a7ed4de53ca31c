#pragma once

#include "language.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace backend {

/// The sentences of a mail's own text, without its greeting and sign-off, and the sender's
/// name as it stands below the sign-off (empty when there is none).
class MailSentences {
public:
    /// Decodes `mail` (see mailText) and splits it into sentences.
    explicit MailSentences(const std::string& mail);

    [[nodiscard]] std::size_t size() const { return spans_.size(); }
    [[nodiscard]] bool empty() const { return spans_.empty(); }
    [[nodiscard]] std::string_view operator[](std::size_t i) const {
        return std::string_view(text_).substr(spans_[i].start, spans_[i].length);
    }
    [[nodiscard]] const std::string& sender() const { return sender_; }
    /// The first word of the sender's name, as a reply greets them.
    [[nodiscard]] std::string_view senderFirstName() const {
        return std::string_view(sender_).substr(0, sender_.find(' '));
    }
    /// The language of the mail's own text, detected when first asked: a summary of a mail with
    /// sentences never needs it, and detection is much of a short summary's time. What stands
    /// below the sign-off (a title, a disclaimer) is often in another language and is left out.
    [[nodiscard]] Language language() const {
        if (!language_) {
            language_ =
                detectLanguage(spans_.empty() ? std::string_view(text_)
                                              : std::string_view(text_).substr(0, bodyEnd_));
        }
        return *language_;
    }

private:
    // 32-bit offsets halve the spans of long mails; request bodies are capped far below 4 GiB.
    struct Span {
        std::uint32_t start;
        std::uint32_t length;
    };

    void addSentences(std::size_t begin, std::size_t end);

    // The mail's text, with the line breaks inside each paragraph turned into spaces so that
    // every sentence is one piece of it. Offsets stay valid when the object moves.
    std::string text_;
    mutable std::optional<Language> language_;
    std::vector<Span> spans_;
    std::size_t bodyEnd_ = 0; // where the sign-off starts, or the text's end
    std::string sender_;
};

} // namespace backend
