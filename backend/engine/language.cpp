#include "language.h"

#include <cld2/public/compact_lang_det.h>
#include <limits>

namespace backend {

Language detectLanguage(std::string_view text) {
    bool reliable = false;
    const int length =
        static_cast<int>(std::min<std::size_t>(text.size(), std::numeric_limits<int>::max()));
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
    switch (language) {
    case Language::French:
        return "French";
    case Language::German:
        return "German";
    case Language::Spanish:
        return "Spanish";
    case Language::Italian:
        return "Italian";
    case Language::Portuguese:
        return "Portuguese";
    case Language::Dutch:
        return "Dutch";
    case Language::English:
        break;
    }
    return "English";
}

} // namespace backend
