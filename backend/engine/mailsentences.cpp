#include "mailsentences.h"

#include "mailtext.h"

#include <algorithm>

namespace backend {
namespace {

bool startsWithAny(std::string_view line, std::initializer_list<std::string_view> prefixes) {
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [&](std::string_view p) { return line.starts_with(p); });
}

bool isGreeting(std::string_view line) {
    return line.size() < 60 &&
           startsWithAny(line, {"Hi", "Hello", "Dear", "Hey", "Good morning", "Good afternoon"});
}

bool isSignOff(std::string_view line) {
    return line.size() < 40 &&
           startsWithAny(line, {"Thanks", "Thank you", "Best", "Regards", "Kind regards", "Cheers",
                                "Sincerely", "Many thanks", "All the best"});
}

struct Line {
    std::size_t start;
    std::size_t end;
};

std::vector<Line> lines(std::string_view text) {
    std::vector<Line> result;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        result.push_back({start, end});
        start = end + 1;
    }
    return result;
}

} // namespace

MailSentences::MailSentences(const std::string& mail)
    : text_(mailText(mail)) {
    const std::string_view text = text_;
    const std::vector<Line> all = lines(text);
    const auto line = [&](const Line& l) { return text.substr(l.start, l.end - l.start); };
    const auto signOff =
        std::find_if(all.begin(), all.end(), [&](const Line& l) { return isSignOff(line(l)); });
    if (signOff != all.end()) {
        const auto name =
            std::find_if(signOff + 1, all.end(), [](const Line& l) { return l.end > l.start; });
        if (name != all.end()) {
            sender_ = line(*name);
        }
    }
    // The paragraph being gathered runs from its first line's start to `paragraphEnd`.
    std::size_t paragraphStart = 0;
    std::size_t paragraphEnd = 0;
    bool inParagraph = false;
    for (auto l = all.begin(); l != signOff; ++l) {
        const bool atStart = l == all.begin() || (spans_.empty() && !inParagraph);
        if (atStart && isGreeting(line(*l))) {
            continue;
        }
        if (l->start == l->end) {
            if (inParagraph) {
                addSentences(paragraphStart, paragraphEnd);
                inParagraph = false;
            }
            continue;
        }
        if (inParagraph) {
            text_[paragraphEnd] = ' ';
        } else {
            paragraphStart = l->start;
            inParagraph = true;
        }
        paragraphEnd = l->end;
    }
    if (inParagraph) {
        addSentences(paragraphStart, paragraphEnd);
    }
}

// A sentence ends at '.', '?' or '!' before a space or at the paragraph's end.
void MailSentences::addSentences(std::size_t begin, std::size_t end) {
    const char* const text = text_.data();
    const auto add = [&](std::size_t start, std::size_t stop) {
        while (start < stop && text[start] == ' ') {
            ++start;
        }
        if (start < stop) {
            spans_.push_back({start, stop - start});
        }
    };
    std::size_t start = begin;
    for (std::size_t k = begin; k + 1 < end; ++k) {
        const char c = text[k];
        if ((c == '.' || c == '?' || c == '!') && text[k + 1] == ' ') {
            add(start, k + 1);
            start = k + 1;
        }
    }
    add(start, end);
}

} // namespace backend
