#pragma once

#include <string_view>

namespace backend {

/// The languages the engines write in; any other is answered in English.
enum class Language { English, French, German, Spanish, Italian, Portuguese, Dutch };

/// The language of `text` as CLD2 judges it, English when it is none of the above or unsure.
[[nodiscard]] Language detectLanguage(std::string_view text);

/// The language's English name, as a model is told it ("French").
[[nodiscard]] std::string_view languageName(Language language);

} // namespace backend
