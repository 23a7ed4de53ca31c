#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace backend {

/// The content words of a list of sentences, each word (lower case, stop words left out)
/// turned into a small id once, so that ranking and matching compare integers.
class WordIndex {
public:
    using Id = std::uint32_t;

    explicit WordIndex(const std::vector<std::string>& sentences);

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
    std::unordered_map<std::string_view, Id> ids_;
    std::vector<Id> words_;
    std::vector<std::size_t> starts_;
    std::vector<int> frequency_;
};

} // namespace backend
