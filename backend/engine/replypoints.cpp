#include "replypoints.h"

#include "phrases.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <string_view>
#include <unordered_map>

namespace backend {
namespace {

// A word that many statements hold says little about which one answers a question, and
// leaving such words out keeps drafting linear in the message's length.
constexpr std::size_t statementsPerWord = 8;
// A statement answers a question only when they share this many words: one shared word ("two",
// "still") is chance.
constexpr std::size_t wordsToAnswer = 2;
// A reply that answers more points than this is no longer one a person would send, and would
// grow with the mail: a mail of a million questions is not a million replies.
constexpr std::size_t mostPoints = 12;
// A mail without punctuation is one sentence, which a reply must not quote whole.
constexpr std::size_t mostQuotedBytes = 400;

std::string lower(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return result;
}

// The sentence as a reply quotes it: cut after a whole word (or a whole character) when long.
std::string quotable(std::string_view sentence) {
    if (sentence.size() <= mostQuotedBytes) {
        return std::string(sentence);
    }
    std::size_t end = sentence.rfind(' ', mostQuotedBytes);
    if (end == std::string_view::npos || end == 0) {
        end = mostQuotedBytes;
        while (end > 0 && (static_cast<unsigned char>(sentence[end]) & 0xC0) == 0x80) {
            --end;
        }
    }
    return std::string(sentence.substr(0, end)) + " …";
}

bool isQuestion(std::string_view s) {
    return !s.empty() && s.back() == '?';
}

bool isRequest(std::string_view s) {
    static constexpr std::string_view inside[] = {" please ",   " s'il vous plaît", " bitte ",
                                                  " por favor", " per favore",      " alsjeblieft"};
    // The bytes that follow the space of some phrase: most words start with none of them.
    static constexpr auto opensPhrase = [] {
        std::array<bool, 256> table{};
        for (const std::string_view p : inside) {
            table[static_cast<unsigned char>(p[1])] = true;
        }
        return table;
    }();
    if (requestOpenings().opensWithWord(s)) {
        return true;
    }
    // One pass over the spaces, where every phrase starts, comparing phrases only after a
    // space whose next byte starts one.
    for (std::size_t at = 0; at + 1 < s.size(); ++at) {
        if (s[at] == ' ' && opensPhrase[static_cast<unsigned char>(s[at + 1])] &&
            std::any_of(std::begin(inside), std::end(inside),
                        [&](std::string_view p) { return s.substr(at).starts_with(p); })) {
            return true;
        }
    }
    return false;
}

// Drops a leading "please", a trailing ", please" and the closing punctuation.
std::string_view core(std::string_view text) {
    if (lower(text.substr(0, 7)) == "please ") {
        text.remove_prefix(7);
    }
    while (!text.empty() && std::string_view(".?!").find(text.back()) != std::string_view::npos) {
        text.remove_suffix(1);
    }
    for (const std::string_view tail : {", please", " please"}) {
        if (lower(text.substr(text.size() - std::min(text.size(), tail.size()))) == tail) {
            text.remove_suffix(tail.size());
        }
    }
    return text;
}

// Turns the sender's words into the replier's: "send me your notes" becomes "send you my
// notes". A "you" after a conjunction is a subject ("whether you can" becomes "whether I can").
std::string fromReplier(std::string_view text) {
    static const std::unordered_map<std::string, std::string> swaps = {
        {"me", "you"},     {"my", "your"},         {"mine", "yours"}, {"myself", "yourself"},
        {"us", "you"},     {"our", "your"},        {"ours", "yours"}, {"your", "my"},
        {"yours", "mine"}, {"yourself", "myself"}, {"i", "you"},      {"am", "are"}};
    static const std::unordered_map<std::string, std::string> afterI = {{"are", "am"},
                                                                        {"were", "was"}};
    static const char* conjunctions[] = {"whether", "if",   "that", "when", "where",
                                         "how",     "what", "why",  "and",  "or",
                                         "because", "as",   "so"};
    std::string result;
    std::string previous;
    bool subjectI = false;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find(' '), text.size());
        std::string_view token = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        std::size_t wordEnd = token.size();
        while (wordEnd > 0 && std::ispunct(static_cast<unsigned char>(token[wordEnd - 1]))) {
            --wordEnd;
        }
        const std::string word = lower(token.substr(0, wordEnd));
        std::string replaced(token.substr(0, wordEnd));
        bool nowSubjectI = false;
        if (word == "you") {
            const bool subject = std::any_of(std::begin(conjunctions), std::end(conjunctions),
                                             [&](const char* c) { return previous == c; });
            replaced = subject ? "I" : "me";
            nowSubjectI = subject;
        } else if (subjectI && afterI.contains(word)) {
            replaced = afterI.at(word);
        } else if (const auto swap = swaps.find(word); swap != swaps.end()) {
            replaced = swap->second;
        }
        result += (result.empty() ? "" : " ") + replaced + std::string(token.substr(wordEnd));
        previous = word;
        subjectI = nowSubjectI;
    }
    return result;
}

std::string lowerFirst(std::string s) {
    if (!s.empty() && std::isupper(static_cast<unsigned char>(s[0])) &&
        (s.size() < 2 || !std::isupper(static_cast<unsigned char>(s[1])))) {
        s[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(s[0])));
    }
    return s;
}

// A question or request whose form allows a plain commitment, such as "Can you send the
// slides?" answered with "Yes, I will send the slides."
std::optional<std::string> commitment(std::string_view sentence) {
    struct Form {
        std::string_view opening;
        std::string_view answer;
    };
    static const Form forms[] = {
        {"would you like to ", "Yes, I would like to "},
        {"could you please ", "Yes, I will "},
        {"can you please ", "Yes, I will "},
        {"would you please ", "Yes, I will "},
        {"could you ", "Yes, I will "},
        {"can you ", "Yes, I will "},
        {"will you ", "Yes, I will "},
        {"would you ", "Yes, I will "},
        {"could i ", "Yes, you can "},
        {"can i ", "Yes, you can "},
        {"may i ", "Yes, you can "},
        {"shall we ", "Yes, let's "},
        {"should we ", "Yes, let's "},
        {"are you ", "I will check whether I am "},
        {"do you ", "I will check whether I "},
        {"have you ", "I will check whether I have "},
        {"kindly ", "I will "},
        {"please ", "I will "},
    };
    const std::string opening = lower(sentence.substr(0, 20));
    if (opening.starts_with("would you mind ")) {
        return "Not at all, I will take care of it.";
    }
    for (const Form& form : forms) {
        if (opening.starts_with(form.opening)) {
            const std::string_view rest = core(sentence.substr(form.opening.size()));
            if (rest.empty()) {
                return std::nullopt;
            }
            const bool check = form.answer.starts_with("I will check");
            return std::string(form.answer) + fromReplier(rest) +
                   (check ? " and let you know." : ".");
        }
    }
    if (!isQuestion(sentence) && isRequest(sentence)) {
        // An imperative the replier can take on as it stands.
        const std::string rest = lowerFirst(std::string(core(sentence)));
        if (rest.starts_with("let me know ") || rest.starts_with("send ")) {
            return "I will " + fromReplier(rest) + ".";
        }
    }
    return std::nullopt;
}

// The question or request in the sender's own words, so that an answer that cannot restate it
// still says what it answers.
std::string about(const Phrases& say, std::string_view sentence) {
    for (const std::string_view mark : {"¿", "¡"}) {
        if (sentence.starts_with(mark)) {
            sentence.remove_prefix(mark.size());
        }
    }
    while (!sentence.empty() &&
           std::string_view(".?! ").find(sentence.back()) != std::string_view::npos) {
        sentence.remove_suffix(1);
    }
    return std::string(say.aboutOpen) + std::string(sentence) + std::string(say.aboutClose);
}

// What the replier will do when the message itself says nothing on the question's subject.
std::string nextStep(std::string_view question) {
    static const std::pair<std::string_view, std::string_view> steps[] = {
        {"when", "I will confirm the timing shortly."},
        {"where", "I will confirm the place shortly."},
        {"who", "I will find out who is responsible and tell you."},
        {"how much", "I will send you the exact figures."},
        {"how many", "I will send you the exact figures."},
        {"why", "I will find out the reasons and explain them to you."},
        {"how", "I will send you the steps."},
        {"what", "I will look into it and send you the details."},
        {"which", "I will look into it and send you the details."}};
    const std::string opening = lower(question.substr(0, 10));
    for (const auto& [word, step] : steps) {
        if (opening.starts_with(word)) {
            return std::string(step);
        }
    }
    return "I will check this and confirm it to you shortly.";
}

} // namespace

bool isAsked(std::string_view sentence) {
    return isQuestion(sentence) || isRequest(sentence);
}

std::vector<ReplyPoint> replyPoints(const MailSentences& sentences, const WordIndex& index) {
    std::vector<bool> asked(sentences.size());
    std::vector<std::vector<std::size_t>> statements(index.size());
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        asked[i] = isAsked(sentences[i]);
        if (!asked[i]) {
            for (const WordIndex::Id w : index.words(i)) {
                auto& holders = statements[w];
                if (holders.size() <= statementsPerWord &&
                    (holders.empty() || holders.back() != i)) {
                    holders.push_back(i);
                }
            }
        }
    }
    std::vector<ReplyPoint> points;
    // The same answer twice tells the reader nothing more: a mail that asks one thing three
    // times, or a long one that repeats itself, gets it once.
    const auto add = [&points](std::string question, std::string answer) {
        if (std::none_of(points.begin(), points.end(),
                         [&](const ReplyPoint& p) { return p.answer == answer; })) {
            points.push_back({std::move(question), std::move(answer)});
        }
    };
    const Phrases& say = phrasesFor(sentences.language());
    if (sentences.language() != Language::English) {
        // The commitments and the matching of statements know English words only.
        for (std::size_t i = 0; i < sentences.size() && points.size() < mostPoints; ++i) {
            if (asked[i]) {
                const std::string sentence = quotable(sentences[i]);
                add(sentence,
                    about(say, sentence) +
                        std::string(isRequest(sentences[i]) ? say.willDo : say.willCheck));
            }
        }
        return points;
    }
    std::vector<std::size_t> shared(sentences.size(), 0);
    std::vector<std::size_t> seenIn(index.size(), sentences.size());
    for (std::size_t i = 0; i < sentences.size() && points.size() < mostPoints; ++i) {
        if (!asked[i]) {
            continue;
        }
        const std::string sentence = quotable(sentences[i]);
        if (auto promise = commitment(sentence)) {
            add(sentence, std::move(*promise));
            continue;
        }
        // The statement that shares the most distinct words with the question; the first on
        // a tie.
        std::vector<std::size_t> touched;
        for (const WordIndex::Id w : index.words(i)) {
            if (seenIn[w] == i) {
                continue;
            }
            seenIn[w] = i;
            if (statements[w].size() > statementsPerWord) {
                continue;
            }
            for (const std::size_t s : statements[w]) {
                touched.push_back(s);
                ++shared[s];
            }
        }
        std::size_t best = sentences.size();
        for (const std::size_t s : touched) {
            if (shared[s] >= wordsToAnswer &&
                (best == sentences.size() || shared[s] > shared[best] ||
                 (shared[s] == shared[best] && s < best))) {
                best = s;
            }
        }
        for (const std::size_t s : touched) {
            shared[s] = 0;
        }
        std::string answer = best < sentences.size()
                                 ? "as you mentioned, " + lowerFirst(quotable(sentences[best]))
                             : isQuestion(sentences[i]) ? nextStep(sentence)
                                                        : std::string(say.willDo);
        add(sentence, about(say, sentence) + answer);
    }
    return points;
}

} // namespace backend
