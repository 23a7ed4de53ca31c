#include "wordindex.h"

#include <absl/container/flat_hash_set.h>
#include <array>
#include <initializer_list>

namespace backend {
namespace {

// Marks stop words in the id table, so each distinct word is checked against the list once.
constexpr WordIndex::Id stopWord = UINT32_MAX;
constexpr std::size_t recentSlots = 512;

// Word bytes are ASCII letters and digits and every byte of a multi-byte UTF-8 character;
// only ASCII is folded, which keeps the result independent of the process's locale.
constexpr std::array<unsigned char, 256> foldTable() {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c) {
        const bool digit = c >= '0' && c <= '9';
        const bool lower = c >= 'a' && c <= 'z';
        const bool upper = c >= 'A' && c <= 'Z';
        table[c] = static_cast<unsigned char>(upper                           ? c - 'A' + 'a'
                                              : (digit || lower || c >= 0x80) ? c
                                                                              : 0);
    }
    return table;
}

constexpr std::array<unsigned char, 256> fold = foldTable();

constexpr std::uint64_t fnvOffset = 14695981039346656037u;
constexpr std::uint64_t fnvPrime = 1099511628211u;

// Calls `onWord` with the FNV-1a hash of each word of `text`, lower-cased, in text order.
template <typename OnWord> void hashWords(std::string_view text, OnWord onWord) {
    std::uint64_t hash = fnvOffset;
    bool inWord = false;
    for (const char c : text) {
        const unsigned char folded = fold[static_cast<unsigned char>(c)];
        if (folded != 0) {
            hash = (hash ^ folded) * fnvPrime;
            inWord = true;
        } else if (inWord) {
            onWord(hash);
            hash = fnvOffset;
            inWord = false;
        }
    }
    if (inWord) {
        onWord(hash);
    }
}

const absl::flat_hash_set<std::uint64_t>& stopWords() {
    static const absl::flat_hash_set<std::uint64_t> words = [] {
        absl::flat_hash_set<std::uint64_t> hashes;
        for (const std::string_view word :
             {"a", "an", "and", "are", "as", "at", "be", "but", "by", "can", "could", "do", "for",
              "from", "had", "has", "have", "he", "her", "his", "i", "if", "in", "is", "it", "its",
              "me", "my", "not", "of", "on", "or", "our", "she", "so", "that", "the", "their",
              "them", "there", "they", "this", "to", "us", "was", "we", "were", "what", "when",
              "which", "will", "with", "would", "you", "your", "please", "hi", "hello", "dear",
              "thanks",
              // French, with the letters its elisions leave ("l'", "d'", "qu'")
              "au", "aux", "avec", "ce", "ces", "cette", "dans", "de", "des", "du", "elle", "en",
              "est", "et", "il", "ils", "je", "la", "le", "les", "leur", "mais", "nous", "ou",
              "par", "pas", "pour", "qu", "que", "qui", "sa", "se", "ses", "son", "sont", "sur",
              "un", "une", "vos", "votre", "vous", "d", "j", "l", "m", "n", "s", "t", "y",
              // German
              "auch", "auf", "aus", "bei", "das", "dass", "dem", "den", "der", "des", "die", "ein",
              "eine", "einen", "einer", "es", "für", "ich", "ihr", "ihre", "ihnen", "im", "ist",
              "mit", "nicht", "noch", "oder", "sie", "sich", "uns", "und", "von", "vom", "wir",
              "zu", "zum", "zur",
              // Spanish
              "al", "como", "con", "del", "el", "era", "es", "esta", "este", "las", "lo", "los",
              "mi", "nos", "os", "para", "pero", "por", "se", "si", "su", "sus", "te", "tu", "tus",
              "ya",
              // Italian
              "ai", "alla", "alle", "che", "ci", "degli", "dei", "della", "delle", "di", "e", "gli",
              "ha", "i", "il", "nel", "nella", "non", "per", "più", "sono", "ti", "tra", "vi",
              // Portuguese
              "ao", "aos", "da", "das", "do", "dos", "em", "na", "nas", "no", "nos", "o", "os",
              "ou", "pela", "pelo", "são", "seu", "sua", "um", "uma",
              // Dutch
              "aan", "bij", "dat", "een", "het", "hun", "ik", "je", "jij", "jullie", "maar", "met",
              "naar", "niet", "om", "ons", "onze", "ook", "op", "te", "u", "uw", "van", "voor",
              "wat", "wij", "ze", "zijn"}) {
            hashWords(word, [&](std::uint64_t hash) { hashes.insert(hash); });
        }
        return hashes;
    }();
    return words;
}

} // namespace

WordIndex::WordIndex(const MailSentences& sentences) {
    // A word and the byte after it take at least two bytes. Room that stays unused costs
    // nothing, while growing a long mail's list several times over would copy it each time.
    std::size_t length = 0;
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        length += sentences[i].size();
    }
    words_.reserve(length / 2 + 1);
    starts_.reserve(sentences.size() + 1);
    // Most words of a mail recur, and its commonest ones most: the last word seen in each slot
    // of a small table answers them without a probe of the map.
    struct Seen {
        std::uint64_t hash;
        Id id;
    };
    std::vector<Seen> recent(recentSlots, Seen{0, stopWord});
    const auto idOf = [&](std::uint64_t hash) {
        Seen& slot = recent[hash % recentSlots];
        // An empty slot holds 0, which must not pass for a word that hashes to 0.
        if (slot.hash == hash && hash != 0) {
            return slot.id;
        }
        auto [it, added] = ids_.try_emplace(hash, 0);
        if (added) {
            if (stopWords().contains(hash)) {
                it->second = stopWord;
            } else {
                it->second = static_cast<Id>(frequency_.size());
                frequency_.push_back(0);
            }
        }
        slot = {hash, it->second};
        return it->second;
    };
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        starts_.push_back(static_cast<std::uint32_t>(words_.size()));
        hashWords(sentences[i], [&](std::uint64_t hash) {
            const Id id = idOf(hash);
            if (id != stopWord) {
                words_.push_back(id);
                ++frequency_[id];
            }
        });
    }
    starts_.push_back(static_cast<std::uint32_t>(words_.size()));
}

std::vector<WordIndex::Id> WordIndex::known(std::string_view text) const {
    std::vector<Id> result;
    hashWords(text, [&](std::uint64_t hash) {
        const auto it = ids_.find(hash);
        if (it != ids_.end() && it->second != stopWord) {
            result.push_back(it->second);
        }
    });
    return result;
}

} // namespace backend
