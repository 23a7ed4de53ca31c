#include "inputbudget.h"

#include <algorithm>
#include <cctype>

namespace backend {
namespace {

bool startsCodePoint(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

std::size_t codePoints(const std::string& text) {
    return static_cast<std::size_t>(std::ranges::count_if(text, startsCodePoint));
}

bool isSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// The byte at which code point number `n` starts.
std::size_t byteOfCodePoint(const std::string& text, std::size_t n) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (startsCodePoint(text[i]) && seen++ == n) {
            return i;
        }
    }
    return text.size();
}

// Where to cut so that text[0, end) ends a sentence or a paragraph; 0 when nothing in
// [from, limit) does.
std::size_t sentenceEnd(const std::string& text, std::size_t from, std::size_t limit) {
    for (std::size_t i = limit; i-- > from;) {
        const char c = text[i];
        const bool spaceAfter = i + 1 < text.size() && isSpace(text[i + 1]);
        if ((c == '.' || c == '!' || c == '?') && spaceAfter) {
            return i + 1;
        }
        if (c == '\n' && i > 0 && text[i - 1] == '\n') {
            return i;
        }
    }
    return 0;
}

std::size_t wordEnd(const std::string& text, std::size_t from, std::size_t limit) {
    for (std::size_t i = limit; i-- > from;) {
        if (isSpace(text[i])) {
            return i;
        }
    }
    return 0;
}

} // namespace

InputBudget::InputBudget(std::string input, std::size_t maxCharacters)
    : text(std::move(input))
    , originalCharacters(codePoints(text)) {
    characters = originalCharacters;
    if (originalCharacters <= maxCharacters) {
        return;
    }
    const std::size_t limit = byteOfCodePoint(text, maxCharacters);
    std::size_t end = sentenceEnd(text, limit / 2, limit);
    if (end == 0) {
        end = wordEnd(text, limit / 2, limit);
    }
    text.resize(end == 0 ? limit : end);
    while (!text.empty() && isSpace(text.back())) {
        text.pop_back();
    }
    characters = codePoints(text);
}

} // namespace backend
