#pragma once

#include "language.h"

#include <filesystem>
#include <string>
#include <vector>

/// One mail of the annotated corpus under bench/quality and what its drafts must get right.
struct QualityMail {
    struct Ask {
        std::string text;
        std::string key; ///< the phrase a reply point must contain, after case folding
    };
    std::string name;
    std::string body; ///< as the client sends it: the message without its headers
    backend::Language language = backend::Language::English;
    std::string sender;
    bool heldOut = false;
    std::vector<std::string> summary;
    std::vector<Ask> asks;
    std::vector<std::string> excluded; ///< quoted history and signature text
};

/// Every mail of the corpus, in file order. Throws std::runtime_error naming the file when a
/// mail or its annotation is missing or malformed.
[[nodiscard]] std::vector<QualityMail> loadQualityCorpus();
[[nodiscard]] std::vector<QualityMail> loadQualityCorpus(const std::filesystem::path& folder);

/// Hits out of cases.
struct Share {
    int hits = 0;
    int cases = 0;
    void add(bool hit) {
        hits += hit ? 1 : 0;
        ++cases;
    }
    [[nodiscard]] double value() const { return cases == 0 ? 0 : double(hits) / cases; }
};

/// How the extractive engine's drafts of a set of mails score.
struct ExtractiveScores {
    Share summaryRecall; ///< annotated sentences the summary carries
    Share leadRecall;    ///< the same, of the mail's first sentences of the summary's length
    Share summaryGiven;  ///< summaries that are neither empty nor "nothing to summarize"
    Share asksNamed;     ///< questions and requests whose key phrase a reply point contains
    Share onlyAsks;      ///< replies with no more points than the mail asks
    Share replyLanguage;
    Share greetedByName;
    Share clean;                     ///< drafts without quoted or signature text
    std::vector<std::string> misses; ///< one line per miss, naming the mail

    [[nodiscard]] double recallOverLead() const {
        return leadRecall.value() == 0 ? 0 : summaryRecall.value() / leadRecall.value();
    }
};

/// How the prompts the openai engine sends for replies to a set of mails score, as a scripted
/// model server on loopback receives them.
struct PromptScores {
    Share latestMessage; ///< the annotated sentences of the latest message are in the prompt
    Share clean;         ///< no quoted or signature text
    Share languageNamed;
    Share senderNamed;
    Share fenceIntact; ///< the mail sits whole between one opening and one closing marker
    std::vector<std::string> misses;
};

[[nodiscard]] ExtractiveScores scoreExtractive(const std::vector<QualityMail>& mails, bool heldOut);
[[nodiscard]] PromptScores scoreOpenAiPrompts(const std::vector<QualityMail>& mails, bool heldOut);
