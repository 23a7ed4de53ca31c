#include "mailsentences.h"

#include "mailtext.h"

#include <algorithm>
#include <string_view>

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

std::vector<std::string_view> lines(std::string_view text) {
    std::vector<std::string_view> result;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        result.push_back(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return result;
}

// A sentence ends at '.', '?' or '!' before a space or at the paragraph's end.
void addSentences(std::string_view paragraph, std::vector<std::string>& sentences) {
    std::size_t start = 0;
    for (std::size_t k = 0; k < paragraph.size(); ++k) {
        const char c = paragraph[k];
        const bool last = k + 1 == paragraph.size();
        if (last || ((c == '.' || c == '?' || c == '!') && paragraph[k + 1] == ' ')) {
            const std::string_view sentence = paragraph.substr(start, k + 1 - start);
            const std::size_t first = sentence.find_first_not_of(' ');
            if (first != std::string_view::npos) {
                sentences.emplace_back(sentence.substr(first));
            }
            start = k + 1;
        }
    }
}

} // namespace

MailSentences splitSentences(const std::string& mail) {
    const std::string text = mailText(mail);
    const std::vector<std::string_view> all = lines(text);
    MailSentences parsed;
    const auto signOff = std::find_if(all.begin(), all.end(), isSignOff);
    if (signOff != all.end()) {
        const auto name = std::find_if(signOff + 1, all.end(), [](auto l) { return !l.empty(); });
        if (name != all.end()) {
            parsed.sender = *name;
        }
    }
    std::string paragraph;
    for (auto line = all.begin(); line != signOff; ++line) {
        const bool atStart = line == all.begin() || (parsed.sentences.empty() && paragraph.empty());
        if (atStart && isGreeting(*line)) {
            continue;
        }
        if (line->empty()) {
            addSentences(paragraph, parsed.sentences);
            paragraph.clear();
        } else {
            if (!paragraph.empty()) {
                paragraph += ' ';
            }
            paragraph += *line;
        }
    }
    addSentences(paragraph, parsed.sentences);
    return parsed;
}

} // namespace backend
