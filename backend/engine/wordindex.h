#pragma once

#include "mailsentences.h"

#include <absl/container/flat_hash_map.h>
#include <absl/container/flat_hash_set.h>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

namespace backend {

/// The content words of a mail's sentences, each word (lower case, stop words left out)
/// turned into a small id once, so that ranking and matching compare integers. A plural and
/// its singular ("rooms", "room"), or a verb with and without its "s", share an id.
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
    // Words are told apart by the 64-bit FNV-1a hash of their lower-cased bytes, so the index
    // keeps no text and takes one pass over the mail. Two words of one mail share a hash with
    // a chance of about one in 10^11 even at 10^4 distinct words, and would only blur a rank.
    absl::flat_hash_map<std::uint64_t, Id> ids_; // by the stem's hash
    std::vector<Id> words_;
    std::vector<std::uint32_t> starts_;
    std::vector<int> frequency_;
};

/// A few words told apart as the index tells them (lower case, under their stem), to ask
/// whether a text holds one of them.
class WordSet {
public:
    WordSet(std::initializer_list<std::string_view> words);
    [[nodiscard]] bool anyIn(std::string_view text) const;

private:
    absl::flat_hash_set<std::uint64_t> stems_;
};

} // namespace backend
