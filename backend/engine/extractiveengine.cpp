#include "extractiveengine.h"

#include "framing.h"
#include "mailsentences.h"
#include "phrases.h"
#include "replypoints.h"
#include "wordindex.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace backend {
namespace {

constexpr std::size_t summarySentences = 2;
// A chat answer quotes at most this many of the mail's questions and requests.
constexpr std::size_t askedQuoted = 3;

bool hasDigit(std::string_view sentence) {
    return std::any_of(sentence.begin(), sentence.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

// Whether the sentence opens with thanks or a remark on the mail itself ("I hope", "Ti scrivo
// per"), also lower-cased after a greeting that ends in a comma.
bool isCourtesy(std::string_view sentence) {
    if (sentence.empty()) {
        return false;
    }
    const char first = sentence[0] >= 'a' && sentence[0] <= 'z'
                           ? static_cast<char>(sentence[0] - 'a' + 'A')
                           : sentence[0];
    return std::ranges::any_of(courtesyOpenings().startingWith(first), [&](std::string_view p) {
        return sentence.size() >= p.size() && sentence.substr(1, p.size() - 1) == p.substr(1);
    });
}

// Scores each sentence by how often its content words occur in the whole mail, so that the
// sentences the mail's subject runs through win, normalised by the square root of its length
// so that long sentences do not win by size alone. A figure or a date doubles the
// score: it is what a reader must not miss. Questions and requests count half, as the reply
// answers them, and courtesy not at all.
std::vector<double> scores(const MailSentences& sentences, const WordIndex& index) {
    std::vector<double> result;
    result.reserve(sentences.size());
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        const auto& words = index.words(i);
        double sum = 0;
        for (const WordIndex::Id w : words) {
            sum += index.frequency(w);
        }
        const double score = words.empty() ? 0 : sum / std::sqrt(static_cast<double>(words.size()));
        const double weight = isCourtesy(sentences[i]) ? 0 : isAsked(sentences[i]) ? 0.5 : 1;
        result.push_back(weight * (hasDigit(sentences[i]) ? 2 * score : score));
    }
    return result;
}

// The sentence that shares the most distinct `wanted` words; the first on a tie; none (the
// number of sentences) when no sentence shares one.
std::size_t bestMatch(const MailSentences& sentences, const WordIndex& index,
                      const std::vector<bool>& wanted) {
    std::vector<std::size_t> seenIn(index.size(), sentences.size());
    std::size_t best = sentences.size();
    std::size_t bestOverlap = 0;
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        std::size_t overlap = 0;
        for (const WordIndex::Id w : index.words(i)) {
            if (wanted[w] && seenIn[w] != i) {
                seenIn[w] = i;
                ++overlap;
            }
        }
        if (overlap > bestOverlap) {
            bestOverlap = overlap;
            best = i;
        }
    }
    return best;
}

// Whether the question asks what the mail wants of its reader ("What does Bob need from me?"),
// in any of the engine's languages, whichever the mail's. German "will" is left out, as English
// uses it for the future.
bool asksWhatIsWanted(std::string_view question) {
    static const WordSet wanting{
        "need",      "want",   "ask",      "asked",    "asking",    "expect",  "require",
        "besoin",    "veut",   "veulent",  "demande",  "demandent", "attend",  "braucht",
        "brauchen",  "möchte", "möchten",  "erwartet", "erwarten",  "bittet",  "necesita",
        "necesitan", "quiere", "quieren",  "pide",     "piden",     "bisogno", "vuole",
        "vogliono",  "chiede", "chiedono", "precisa",  "precisam",  "quer",    "querem",
        "pede",      "nodig",  "wil",      "vraagt",   "verwacht"};
    return wanting.anyIn(question);
}

// The sentences at `at`, in the message's order: neighbours joined by a space, others by "…".
std::string quoted(const MailSentences& sentences, std::vector<std::size_t> at) {
    std::ranges::sort(at);
    std::string quote;
    for (std::size_t k = 0; k < at.size(); ++k) {
        if (k > 0) {
            quote += at[k] - at[k - 1] == 1 ? " " : " … ";
        }
        quote += sentences[at[k]];
    }
    return quote;
}

} // namespace

std::string ExtractiveEngine::summarize(const std::string& mail) {
    const MailSentences sentences(mail);
    if (sentences.empty()) {
        return std::string(phrasesFor(sentences.language()).noText);
    }
    const std::vector<double> score = scores(sentences, WordIndex(sentences));
    const auto better = [&](std::size_t a, std::size_t b) {
        return score[a] != score[b] ? score[a] > score[b] : a < b;
    };
    // The best sentences, each said once: a mail that repeats one would be summed up by it twice.
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        if (std::any_of(order.begin(), order.end(),
                        [&](std::size_t kept) { return sentences[kept] == sentences[i]; })) {
            continue;
        }
        order.insert(std::upper_bound(order.begin(), order.end(), i, better), i);
        if (order.size() > summarySentences) {
            order.pop_back();
        }
    }
    std::sort(order.begin(), order.end());
    std::string summary;
    for (const std::size_t i : order) {
        if (!summary.empty()) {
            summary += ' ';
        }
        summary += sentences[i];
    }
    return summary;
}

std::string ExtractiveEngine::reply(const std::string& mail, const std::string& userName,
                                    std::size_t draft) {
    const MailSentences sentences(mail);
    const std::vector<ReplyPoint> points = replyPoints(sentences, WordIndex(sentences));
    const Phrases& say = phrasesFor(sentences.language());
    const Framing frame = framingFor(sentences.language(), draft);
    std::string text =
        sentences.sender().empty()
            ? std::string(say.greetAnyone)
            : std::string(say.greetNamed) + std::string(sentences.senderFirstName()) + ",";
    text += "\n\n";
    text += frame.thanks;
    if (points.empty()) {
        text += ' ';
        text += frame.nothingAsked;
    } else {
        // One answer for each question and request, in the message's order.
        text += '\n';
        for (std::size_t i = 0; i < points.size(); ++i) {
            text += '\n';
            text += std::to_string(i + 1);
            text += ". ";
            text += points[i].answer;
        }
    }
    text += "\n\n";
    text += frame.closing;
    text += '\n' + (userName.empty() ? std::string("Me") : userName);
    return text;
}

std::string ExtractiveEngine::chat(const std::string& mail, const std::string& question) {
    const MailSentences sentences(mail);
    const WordIndex index(sentences);
    std::vector<bool> wanted(index.size(), false);
    for (const WordIndex::Id w : index.known(question)) {
        wanted[w] = true;
    }
    const Phrases& say = phrasesFor(sentences.language());
    const std::size_t first = bestMatch(sentences, index, wanted);
    if (first == sentences.size()) {
        // A question of what the mail wants of its reader is answered by what it asks.
        std::vector<std::size_t> asked;
        if (asksWhatIsWanted(question)) {
            for (std::size_t i = 0; i < sentences.size() && asked.size() < askedQuoted; ++i) {
                if (isAsked(sentences[i])) {
                    asked.push_back(i);
                }
            }
        }
        if (asked.empty()) {
            return std::string(say.notMentioned);
        }
        return std::string(say.messageSays) + "\"" + quoted(sentences, asked) + "\"";
    }
    // A question of two parts ("Who asked for the slides, and when do we meet?") gets a second
    // sentence for the words the first one leaves out, both quoted in the message's order.
    for (const WordIndex::Id w : index.words(first)) {
        wanted[w] = false;
    }
    std::vector<std::size_t> answering{first};
    if (const std::size_t second = bestMatch(sentences, index, wanted);
        second != sentences.size()) {
        answering.push_back(second);
    }
    return std::string(say.messageSays) + "\"" + quoted(sentences, answering) + "\"";
}

} // namespace backend
