#pragma once

#include <array>
#include <cstddef>
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
    const std::array<const T*, 7> values{&english, &french,     &german, &spanish,
                                         &italian, &portuguese, &dutch};
    return *values.at(static_cast<std::size_t>(language));
}

} // namespace backend
