#include "wordindex.h"

#include <array>
#include <initializer_list>

namespace backend {
namespace {

// Marks a stop word in the table of recent words, so a recurring one is not looked up again.
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

// Calls `onWord(hash, word)` with the FNV-1a hash of each word of `text`, lower-cased, and the
// word's bytes, in text order.
template <typename OnWord> void hashWords(std::string_view text, OnWord onWord) {
    std::uint64_t hash = fnvOffset;
    std::size_t start = 0;
    bool inWord = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char folded = fold[static_cast<unsigned char>(text[i])];
        if (folded != 0) {
            hash = (hash ^ folded) * fnvPrime;
            inWord = true;
            continue;
        }
        if (inWord) {
            onWord(hash, text.substr(start, i - start));
            hash = fnvOffset;
            inWord = false;
        }
        start = i + 1;
    }
    if (inWord) {
        onWord(hash, text.substr(start));
    }
}

// The prime's inverse modulo 2^64, by Newton's iteration: it takes a word's last byte back off
// its hash.
constexpr std::uint64_t inverse(std::uint64_t odd) {
    std::uint64_t result = odd;
    for (int step = 0; step < 6; ++step) {
        result *= 2 - odd * result;
    }
    return result;
}

constexpr std::uint64_t fnvPrimeInverse = inverse(fnvPrime);
static_assert(fnvPrime * fnvPrimeInverse == 1);

// The hash of a word's stem: the word without a plural's or a verb's final "s" ("leaves" and
// "leave", "rooms" and "room"), so that a question meets the mail's inflections. Words of three
// letters or less and those ending in "ss" keep it ("bus", "address").
std::uint64_t stemHash(std::uint64_t hash, std::string_view word) {
    const auto fromEnd = [&](std::size_t n) {
        return fold[static_cast<unsigned char>(word[word.size() - n])];
    };
    const bool plural = word.size() > 3 && fromEnd(1) == 's' && fromEnd(2) != 's';
    return plural ? (hash * fnvPrimeInverse) ^ 's' : hash;
}

const absl::flat_hash_set<std::uint64_t>& stopWords() {
    static const absl::flat_hash_set<std::uint64_t> words = [] {
        absl::flat_hash_set<std::uint64_t> hashes;
        for (const std::string_view word :
             {"a", "an", "and", "are", "as", "at", "be", "but", "by", "can", "could", "do", "for",
              "from", "had", "has", "have", "he", "her", "his", "i", "if", "in", "is", "it", "its",
              "me", "my", "not", "of", "on", "or", "our", "she", "so", "that", "the", "their",
              "them", "there", "they", "this", "to", "us", "was", "we", "were", "what", "when",
              "which", "will", "with", "would", "you", "your", "should", "shall", "must", "might",
              "does", "did", "been", "am", "please", "hi", "hello", "dear", "thanks",
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
            hashWords(word, [&](std::uint64_t hash, std::string_view) { hashes.insert(hash); });
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
    // A stop word is told by the word itself, so that one ending in "s" ("this", "has") is never
    // taken for a content word; a content word is filed under its stem.
    const auto idOf = [&](std::uint64_t hash, std::string_view word) {
        Seen& slot = recent[hash % recentSlots];
        // An empty slot holds 0, which must not pass for a word that hashes to 0.
        if (slot.hash == hash && hash != 0) {
            return slot.id;
        }
        Id id = stopWord;
        if (!stopWords().contains(hash)) {
            const auto [it, added] =
                ids_.try_emplace(stemHash(hash, word), static_cast<Id>(frequency_.size()));
            if (added) {
                frequency_.push_back(0);
            }
            id = it->second;
        }
        slot = {hash, id};
        return id;
    };
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        starts_.push_back(static_cast<std::uint32_t>(words_.size()));
        hashWords(sentences[i], [&](std::uint64_t hash, std::string_view word) {
            const Id id = idOf(hash, word);
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
    hashWords(text, [&](std::uint64_t hash, std::string_view word) {
        if (stopWords().contains(hash)) {
            return;
        }
        if (const auto it = ids_.find(stemHash(hash, word)); it != ids_.end()) {
            result.push_back(it->second);
        }
    });
    return result;
}

WordSet::WordSet(std::initializer_list<std::string_view> words) {
    for (const std::string_view word : words) {
        hashWords(word, [&](std::uint64_t hash, std::string_view each) {
            stems_.insert(stemHash(hash, each));
        });
    }
}

bool WordSet::anyIn(std::string_view text) const {
    bool found = false;
    hashWords(text, [&](std::uint64_t hash, std::string_view word) {
        found = found || stems_.contains(stemHash(hash, word));
    });
    return found;
}

} // namespace backend
