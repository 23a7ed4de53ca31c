// Scores both engines' drafts of the annotated corpus in mails/, the tuning mails and the held-out
// third apart. Every line is a share of cases, except summary recall, which is the engine's over
// that of the mail's first sentences of the same length.
#include "draftquality.h"

#include <cstdio>

namespace {

void print(const char* name, const char* set, double value, double goal) {
    std::printf("ratio %s_%s %.2f goal >= %.2g\n", name, set, value, goal);
}

} // namespace

int main() {
    const std::vector<QualityMail> mails = loadQualityCorpus();
    for (const bool heldOut : {false, true}) {
        const char* set = heldOut ? "heldout" : "tuning";
        const ExtractiveScores e = scoreExtractive(mails, heldOut);
        std::printf("extractive, %s mails: summary recall %.2f, lead %.2f\n", set,
                    e.summaryRecall.value(), e.leadRecall.value());
        print("extractive_summary_recall_over_lead", set, e.recallOverLead(), 1.3);
        print("extractive_summaries_given", set, e.summaryGiven.value(), 1);
        print("extractive_asks_named", set, e.asksNamed.value(), 0.9);
        print("extractive_no_extra_points", set, e.onlyAsks.value(), 1);
        print("extractive_reply_language", set, e.replyLanguage.value(), 1);
        print("extractive_greeting_by_name", set, e.greetedByName.value(), 1);
        print("extractive_no_quotes_or_signature", set, e.clean.value(), 1);
        for (const std::string& miss : e.misses) {
            std::printf("  miss %s\n", miss.c_str());
        }
        const PromptScores o = scoreOpenAiPrompts(mails, heldOut);
        print("openai_prompt_latest_message", set, o.latestMessage.value(), 1);
        print("openai_prompt_no_quotes_or_signature", set, o.clean.value(), 1);
        print("openai_prompt_language_named", set, o.languageNamed.value(), 1);
        print("openai_prompt_sender_named", set, o.senderNamed.value(), 1);
        print("openai_prompt_fence_intact", set, o.fenceIntact.value(), 1);
        for (const std::string& miss : o.misses) {
            std::printf("  miss %s\n", miss.c_str());
        }
    }
}
