#pragma once

#include <string_view>

namespace backend {

/// The languages the engines write in; any other is answered in English.
enum class Language { English, French, German, Spanish, Italian, Portuguese, Dutch };

/// The language of `text` as CLD2 judges it, English when it is none of the above or unsure.
[[nodiscard]] Language detectLanguage(std::string_view text);

/// The language's English name, as a model is told it ("French").
[[nodiscard]] std::string_view languageName(Language language);

/// Of one value for each language, in the order of `Language`, the one for `language`.
template <typename T>
[[nodiscard]] const T& inLanguage(Language language, const T& english, const T& french,
                                  const T& german, const T& spanish, const T& italian,
                                  const T& portuguese, const T& dutch) {
    switch (language) {
    case Language::French:
        return french;
    case Language::German:
        return german;
    case Language::Spanish:
        return spanish;
    case Language::Italian:
        return italian;
    case Language::Portuguese:
        return portuguese;
    case Language::Dutch:
        return dutch;
    case Language::English:
        break;
    }
    return english;
}

} // namespace backend
