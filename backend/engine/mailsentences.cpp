#include "mailsentences.h"

#include "mailtext.h"
#include "phrases.h"
#include "textlines.h"

#include <algorithm>
#include <array>

namespace backend {
namespace {

bool isGreeting(std::string_view line) {
    return line.size() < 60 && greetingOpenings().startsText(line);
}

// A sign-off opens with a known word ("Best," but not "Beste,", which greets in Dutch). One that
// reads as a sentence ("Thanks for your help.") signs off only when no more than a name and a
// title or two follow it, lines that end no sentence; else it is the message's own ("Thanks for
// the update.").
bool isSignOff(std::string_view line, std::string_view below) {
    if (line.size() >= 40 || !signOffOpenings().opensWithWord(line)) {
        return false;
    }
    if (!line.ends_with('.') && !line.ends_with('?')) {
        return true;
    }
    int lines = 0;
    bool named = true;
    forEachLine(below, [&](std::string_view l) {
        if (!l.empty()) {
            named = ++lines <= 3 && l.size() < 60 &&
                    std::string_view(".?!").find(l.back()) == std::string_view::npos;
        }
        return named;
    });
    return named;
}

std::size_t lineEnd(std::string_view text, std::size_t start) {
    return std::min(text.find('\n', start), text.size());
}

} // namespace

MailSentences::MailSentences(const std::string& mail)
    : text_(mailText(mail)) {
    const std::string_view text = text_;
    const auto line = [&](std::size_t start) {
        return text.substr(start, lineEnd(text, start) - start);
    };
    std::size_t signOff = 0;
    while (
        signOff < text.size() &&
        !isSignOff(line(signOff), text.substr(std::min(lineEnd(text, signOff) + 1, text.size())))) {
        signOff = lineEnd(text, signOff) + 1;
    }
    // The sender's name is the first line below the sign-off that is not empty.
    if (signOff < text.size()) {
        std::size_t name = lineEnd(text, signOff) + 1;
        while (name < text.size() && line(name).empty()) {
            name = lineEnd(text, name) + 1;
        }
        if (name < text.size()) {
            sender_ = line(name);
        }
    }
    // The paragraph being gathered runs from its first line's start to `paragraphEnd`.
    std::size_t paragraphStart = 0;
    std::size_t paragraphEnd = 0;
    bool inParagraph = false;
    const std::size_t bodyEnd = std::min(signOff, text.size());
    bodyEnd_ = bodyEnd;
    for (std::size_t start = 0, end = 0; start < bodyEnd; start = end + 1) {
        end = lineEnd(text, start);
        const bool atStart = start == 0 || (spans_.empty() && !inParagraph);
        if (atStart && isGreeting(text.substr(start, end - start))) {
            continue;
        }
        if (start == end) {
            if (inParagraph) {
                addSentences(paragraphStart, paragraphEnd);
                inParagraph = false;
            }
            continue;
        }
        if (inParagraph) {
            text_[paragraphEnd] = ' ';
        } else {
            paragraphStart = start;
            inParagraph = true;
        }
        paragraphEnd = end;
    }
    if (inParagraph) {
        addSentences(paragraphStart, paragraphEnd);
    }
}

namespace {

// "am 11. Januar": German writes the day of a date as an ordinal, whose dot ends no sentence.
bool isOrdinalDay(std::string_view text, std::size_t dot) {
    static constexpr std::string_view months[] = {
        "Januar", "Jänner", "Februar",   "März",    "April",    "Mai",     "Juni",
        "Juli",   "August", "September", "Oktober", "November", "Dezember"};
    std::size_t digits = dot;
    while (digits > 0 && text[digits - 1] >= '0' && text[digits - 1] <= '9') {
        --digits;
    }
    if (digits == dot || dot - digits > 2 || (digits > 0 && text[digits - 1] != ' ')) {
        return false;
    }
    const std::string_view next = text.substr(dot + 2);
    return std::any_of(std::begin(months), std::end(months),
                       [&](std::string_view month) { return next.starts_with(month); });
}

} // namespace

// A sentence ends at '.', '?' or '!' before a space or at the paragraph's end.
void MailSentences::addSentences(std::size_t begin, std::size_t end) {
    const char* const text = text_.data();
    const auto add = [&](std::size_t start, std::size_t stop) {
        while (start < stop && text[start] == ' ') {
            ++start;
        }
        if (start < stop) {
            spans_.push_back(
                {static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(stop - start)});
        }
    };
    // Each mark of a sentence's end is rare, so memchr skips far ahead to the next of each kind.
    const std::string_view upToEnd(text, end);
    constexpr std::array<char, 3> ends{'.', '?', '!'};
    std::array<std::size_t, 3> next{};
    for (std::size_t k = 0; k < ends.size(); ++k) {
        next[k] = upToEnd.find(ends[k], begin);
    }
    std::size_t start = begin;
    for (;;) {
        const auto nearest = std::min_element(next.begin(), next.end());
        const std::size_t mark = *nearest;
        if (mark == std::string_view::npos) {
            break;
        }
        *nearest = upToEnd.find(text[mark], mark + 1);
        const std::size_t space = mark + 1;
        if (space < end && text[space] == ' ' &&
            !(text[mark] == '.' && isOrdinalDay(upToEnd, mark))) {
            add(start, space);
            start = space;
        }
    }
    add(start, end);
}

} // namespace backend
