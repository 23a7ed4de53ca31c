#include "extractiveengine.h"

#include "mailtext.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numeric>
#include <sstream>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace backend {
namespace {

constexpr std::size_t summarySentences = 3;

const std::unordered_set<std::string>& stopWords() {
    static const std::unordered_set<std::string> words = {
        "a",     "an",   "and",   "are",  "as",   "at",     "be",   "but",   "by",   "can",
        "could", "do",   "for",   "from", "had",  "has",    "have", "he",    "her",  "his",
        "i",     "if",   "in",    "is",   "it",   "its",    "me",   "my",    "not",  "of",
        "on",    "or",   "our",   "she",  "so",   "that",   "the",  "their", "them", "there",
        "they",  "this", "to",    "us",   "was",  "we",     "were", "what",  "when", "which",
        "will",  "with", "would", "you",  "your", "please", "hi",   "hello", "dear", "thanks"};
    return words;
}

std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> result;
    std::string word;
    for (const char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) >= 0x80) {
            word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else if (!word.empty()) {
            result.push_back(std::move(word));
            word.clear();
        }
    }
    if (!word.empty()) {
        result.push_back(std::move(word));
    }
    std::erase_if(result, [](const std::string& w) { return stopWords().contains(w); });
    return result;
}

struct Parsed {
    std::vector<std::string> sentences;
    std::string sender;
};

bool isGreeting(const std::string& line) {
    static const char* openers[] = {"Hi", "Hello", "Dear", "Hey", "Good morning", "Good afternoon"};
    return line.size() < 60 && std::any_of(std::begin(openers), std::end(openers),
                                           [&](auto o) { return line.rfind(o, 0) == 0; });
}

bool isSignOff(const std::string& line) {
    static const char* closers[] = {"Thanks",    "Thank you",    "Best",
                                    "Regards",   "Kind regards", "Cheers",
                                    "Sincerely", "Many thanks",  "All the best"};
    return line.size() < 40 && std::any_of(std::begin(closers), std::end(closers),
                                           [&](auto c) { return line.rfind(c, 0) == 0; });
}

// Splits the text into sentences, dropping the greeting line and the sign-off with the
// sender's name below it (which it keeps for the reply's greeting).
Parsed parse(const std::string& mail) {
    std::istringstream in(mailText(mail));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    Parsed parsed;
    std::size_t end = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (isSignOff(lines[i])) {
            for (std::size_t j = i + 1; j < lines.size(); ++j) {
                if (!lines[j].empty()) {
                    parsed.sender = lines[j];
                    break;
                }
            }
            end = i;
            break;
        }
    }
    std::string paragraph;
    const auto flush = [&] {
        std::size_t start = 0;
        for (std::size_t k = 0; k < paragraph.size(); ++k) {
            const char c = paragraph[k];
            const bool endsHere = (c == '.' || c == '?' || c == '!') &&
                                  (k + 1 == paragraph.size() || paragraph[k + 1] == ' ');
            if (endsHere || k + 1 == paragraph.size()) {
                std::string sentence = paragraph.substr(start, k + 1 - start);
                const std::size_t first = sentence.find_first_not_of(' ');
                if (first != std::string::npos) {
                    parsed.sentences.push_back(sentence.substr(first));
                }
                start = k + 1;
            }
        }
        paragraph.clear();
    };
    for (std::size_t i = 0; i < end; ++i) {
        if (i == 0 || (parsed.sentences.empty() && paragraph.empty())) {
            if (isGreeting(lines[i])) {
                continue;
            }
        }
        if (lines[i].empty()) {
            flush();
        } else {
            paragraph += (paragraph.empty() ? "" : " ") + lines[i];
        }
    }
    flush();
    return parsed;
}

// Scores each sentence by the summed document frequency of its content words, normalised
// by the square root of its length so that long sentences do not win by size alone.
std::vector<double> scores(const std::vector<std::string>& sentences) {
    std::unordered_map<std::string, int> frequency;
    std::vector<std::vector<std::string>> tokens;
    tokens.reserve(sentences.size());
    for (const auto& sentence : sentences) {
        tokens.push_back(words(sentence));
        for (const auto& w : tokens.back()) {
            ++frequency[w];
        }
    }
    std::vector<double> result;
    for (const auto& t : tokens) {
        double sum = 0;
        for (const auto& w : t) {
            sum += frequency[w];
        }
        result.push_back(t.empty() ? 0 : sum / std::sqrt(static_cast<double>(t.size())));
    }
    return result;
}

bool isQuestion(const std::string& s) {
    return !s.empty() && s.back() == '?';
}

bool isRequest(const std::string& s) {
    static const char* starts[] = {"Please",    "Kindly",  "Let me know", "Send",
                                   "Could you", "Can you", "Would you"};
    return std::any_of(std::begin(starts), std::end(starts),
                       [&](auto p) { return s.rfind(p, 0) == 0; }) ||
           s.find(" please ") != std::string::npos;
}

std::string lowerFirst(std::string s) {
    if (!s.empty() && std::isupper(static_cast<unsigned char>(s[0])) &&
        (s.size() < 2 || !std::isupper(static_cast<unsigned char>(s[1])))) {
        s[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(s[0])));
    }
    return s;
}

} // namespace

std::string ExtractiveEngine::summarize(const std::string& mail) {
    const Parsed parsed = parse(mail);
    if (parsed.sentences.empty()) {
        return "The message has no text to summarize.";
    }
    const std::vector<double> score = scores(parsed.sentences);
    std::vector<std::size_t> order(parsed.sentences.size());
    std::iota(order.begin(), order.end(), 0);
    const std::size_t keep = std::min(summarySentences, order.size());
    std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(keep), order.end(),
                      [&](std::size_t a, std::size_t b) {
                          return score[a] != score[b] ? score[a] > score[b] : a < b;
                      });
    order.resize(keep);
    std::sort(order.begin(), order.end());
    std::string summary;
    for (const std::size_t i : order) {
        summary += (summary.empty() ? "" : " ") + parsed.sentences[i];
    }
    return summary;
}

std::string ExtractiveEngine::reply(const std::string& mail, const std::string& userName) {
    const Parsed parsed = parse(mail);
    std::string text = parsed.sender.empty() ? "Hello,\n\n" : "Hi " + parsed.sender + ",\n\n";
    text += "Thank you for your message.";
    std::vector<std::string> points;
    for (const auto& sentence : parsed.sentences) {
        if (isQuestion(sentence)) {
            points.push_back("You asked: \"" + sentence +
                             "\" I will check this and answer you "
                             "shortly.");
        } else if (isRequest(sentence)) {
            points.push_back("You asked me to " + lowerFirst(sentence) +
                             " I will take care of it.");
        }
    }
    if (points.empty()) {
        text += " I have read it and will come back to you if anything is needed.";
    } else {
        text += " Point by point:\n";
        for (std::size_t i = 0; i < points.size(); ++i) {
            text += '\n';
            text += std::to_string(i + 1);
            text += ". ";
            text += points[i];
        }
    }
    text += "\n\nBest regards,\n" + (userName.empty() ? std::string("Me") : userName);
    return text;
}

std::string ExtractiveEngine::chat(const std::string& mail, const std::string& question) {
    const Parsed parsed = parse(mail);
    const std::vector<std::string> asked = words(question);
    const std::unordered_set<std::string> wanted(asked.begin(), asked.end());
    std::size_t best = parsed.sentences.size();
    std::size_t bestOverlap = 0;
    for (std::size_t i = 0; i < parsed.sentences.size(); ++i) {
        std::unordered_set<std::string> seen;
        for (const auto& w : words(parsed.sentences[i])) {
            if (wanted.contains(w)) {
                seen.insert(w);
            }
        }
        if (seen.size() > bestOverlap) {
            bestOverlap = seen.size();
            best = i;
        }
    }
    if (best == parsed.sentences.size()) {
        return "The message does not say anything about that.";
    }
    return "The message says: \"" + parsed.sentences[best] + "\"";
}

} // namespace backend
