#include "language.h"

#include <algorithm>
#include <cld2/public/compact_lang_det.h>

namespace backend {

Language detectLanguage(std::string_view text) {
    // A few paragraphs tell the language as well as the whole text, at a fraction of the
    // cost; the cut falls on a character boundary.
    constexpr std::size_t enough = 2048;
    std::size_t size = std::min(text.size(), enough);
    while (size > 0 && size < text.size() &&
           (static_cast<unsigned char>(text[size]) & 0xC0) == 0x80) {
        --size;
    }
    bool reliable = false;
    const int length = static_cast<int>(size);
    switch (CLD2::DetectLanguage(text.data(), length, true, &reliable)) {
    case CLD2::FRENCH:
        return Language::French;
    case CLD2::GERMAN:
        return Language::German;
    case CLD2::SPANISH:
        return Language::Spanish;
    case CLD2::ITALIAN:
        return Language::Italian;
    case CLD2::PORTUGUESE:
        return Language::Portuguese;
    case CLD2::DUTCH:
        return Language::Dutch;
    default:
        return Language::English;
    }
}

std::string_view languageName(Language language) {
    static constexpr std::string_view english = "English", french = "French", german = "German",
                                      spanish = "Spanish", italian = "Italian",
                                      portuguese = "Portuguese", dutch = "Dutch";
    return inLanguage(language, english, french, german, spanish, italian, portuguese, dutch);
}

} // namespace backend
