#include "wordindex.h"

#include <absl/container/flat_hash_set.h>
#include <array>

namespace backend {
namespace {

// Marks stop words in the id table, so each distinct word is checked against the list once.
constexpr WordIndex::Id stopWord = UINT32_MAX;

const absl::flat_hash_set<std::string_view>& stopWords() {
    static const absl::flat_hash_set<std::string_view> words = {
        "a",     "an",   "and",   "are",  "as",   "at",     "be",   "but",   "by",   "can",
        "could", "do",   "for",   "from", "had",  "has",    "have", "he",    "her",  "his",
        "i",     "if",   "in",    "is",   "it",   "its",    "me",   "my",    "not",  "of",
        "on",    "or",   "our",   "she",  "so",   "that",   "the",  "their", "them", "there",
        "they",  "this", "to",    "us",   "was",  "we",     "were", "what",  "when", "which",
        "will",  "with", "would", "you",  "your", "please", "hi",   "hello", "dear", "thanks"};
    return words;
}

// Word bytes are ASCII letters and digits and every byte of a multi-byte UTF-8 character;
// only ASCII is folded, which keeps the result independent of the process's locale.
constexpr std::array<char, 256> foldTable() {
    std::array<char, 256> table{};
    for (int c = 0; c < 256; ++c) {
        const bool digit = c >= '0' && c <= '9';
        const bool lower = c >= 'a' && c <= 'z';
        const bool upper = c >= 'A' && c <= 'Z';
        table[c] = upper                           ? static_cast<char>(c - 'A' + 'a')
                   : (digit || lower || c >= 0x80) ? static_cast<char>(c)
                                                   : '\0';
    }
    return table;
}

constexpr std::array<char, 256> fold = foldTable();

// Writes `text` lower-cased to `out`, with every byte between words as NUL, and calls
// `onWord` with each word as a view into `out`.
template <typename OnWord> void foldWords(std::string_view text, char* out, OnWord onWord) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        out[i] = fold[static_cast<unsigned char>(text[i])];
        if (out[i] == '\0') {
            if (i > start) {
                onWord(std::string_view(out + start, i - start));
            }
            start = i + 1;
        }
    }
    if (text.size() > start) {
        onWord(std::string_view(out + start, text.size() - start));
    }
}

} // namespace

WordIndex::WordIndex(const MailSentences& sentences) {
    std::size_t length = 0;
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        length += sentences[i].size();
    }
    folded_.resize(length);
    starts_.reserve(sentences.size() + 1);
    std::size_t offset = 0;
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        starts_.push_back(words_.size());
        foldWords(sentences[i], folded_.data() + offset, [&](std::string_view w) {
            auto [it, added] = ids_.try_emplace(w, 0);
            if (added) {
                if (stopWords().contains(w)) {
                    it->second = stopWord;
                } else {
                    it->second = static_cast<Id>(frequency_.size());
                    frequency_.push_back(0);
                }
            }
            if (it->second != stopWord) {
                words_.push_back(it->second);
                ++frequency_[it->second];
            }
        });
        offset += sentences[i].size();
    }
    starts_.push_back(words_.size());
}

std::vector<WordIndex::Id> WordIndex::known(std::string_view text) const {
    std::vector<Id> result;
    std::string folded(text.size(), '\0');
    foldWords(text, folded.data(), [&](std::string_view w) {
        const auto it = ids_.find(w);
        if (it != ids_.end() && it->second != stopWord) {
            result.push_back(it->second);
        }
    });
    return result;
}

} // namespace backend
