#pragma once

#include "mailsentences.h"

#include <absl/container/flat_hash_map.h>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace backend {

/// The content words of a mail's sentences, each word (lower case, stop words left out)
/// turned into a small id once, so that ranking and matching compare integers.
class WordIndex {
public:
    using Id = std::uint32_t;

    explicit WordIndex(const MailSentences& sentences);

    /// The ids of a sentence's content words, in text order, repeats kept.
    [[nodiscard]] std::span<const Id> words(std::size_t sentence) const {
        return std::span(words_).subspan(starts_[sentence],
                                         starts_[sentence + 1] - starts_[sentence]);
    }
    /// How often the word occurs in all sentences together.
    [[nodiscard]] int frequency(Id id) const { return frequency_[id]; }
    [[nodiscard]] std::size_t size() const { return frequency_.size(); }
    /// The ids of `text`'s content words that occur in the sentences, in text order.
    [[nodiscard]] std::vector<Id> known(std::string_view text) const;

private:
    // The lower-cased text of all sentences; the keys of ids_ point into it, so it is sized
    // once and never grows.
    std::string folded_;
    // Words are short: FNV-1a, inlined, costs less than either library's general hash.
    struct WordHash {
        std::size_t operator()(std::string_view word) const {
            std::uint64_t hash = 14695981039346656037u;
            for (const char c : word) {
                hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211u;
            }
            return hash;
        }
    };
    absl::flat_hash_map<std::string_view, Id, WordHash> ids_;
    std::vector<Id> words_;
    std::vector<std::size_t> starts_;
    std::vector<int> frequency_;
};

} // namespace backend
