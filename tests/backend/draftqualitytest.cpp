#include "draftquality.h"

#include <gtest/gtest.h>

namespace {

struct Floor {
    const char* name;
    double value;
    double floor;
};

void expectAtLeast(const std::vector<Floor>& floors, const std::vector<std::string>& misses) {
    for (const Floor& f : floors) {
        EXPECT_GE(f.value, f.floor) << f.name << "\n" << testing::PrintToString(misses);
    }
}

// The extractive engine is deterministic: floors just under its measured scores fail worse
// drafts. The first of each pair is for the tuning mails, the second for the held-out ones.
TEST(DraftQuality, ExtractiveDraftsStayAtTheirMeasuredQuality) {
    const std::vector<QualityMail> mails = loadQualityCorpus();
    ASSERT_GE(mails.size(), 40u);
    for (const int heldOut : {0, 1}) {
        SCOPED_TRACE(heldOut ? "held out" : "tuning");
        const ExtractiveScores s = scoreExtractive(mails, heldOut == 1);
        const auto floor = [&](double tuning, double held) { return heldOut ? held : tuning; };
        expectAtLeast({{"summary recall", s.summaryRecall.value(), floor(0.9, 0.9)},
                       {"summary recall over lead", s.recallOverLead(), floor(1.9, 4.3)},
                       {"summaries given", s.summaryGiven.value(), 1.0},
                       {"questions and requests named", s.asksNamed.value(), floor(1.0, 0.95)},
                       {"replies without extra points", s.onlyAsks.value(), 1.0},
                       {"replies in the mail's language", s.replyLanguage.value(), 1.0},
                       {"greetings by name", s.greetedByName.value(), 1.0},
                       {"drafts free of quotes and signatures", s.clean.value(), 1.0}},
                      s.misses);
    }
}

// What the openai engine sends a model for every mail of the corpus.
TEST(DraftQuality, OpenAiPromptsCarryTheLatestMessageInsideTheFence) {
    const std::vector<QualityMail> mails = loadQualityCorpus();
    for (const bool heldOut : {false, true}) {
        SCOPED_TRACE(heldOut ? "held out" : "tuning");
        const PromptScores s = scoreOpenAiPrompts(mails, heldOut);
        EXPECT_GT(s.fenceIntact.cases, 0);
        expectAtLeast({{"latest message", s.latestMessage.value(), 1.0},
                       {"free of quotes and signatures", s.clean.value(), 1.0},
                       {"language named", s.languageNamed.value(), 1.0},
                       {"sender named", s.senderNamed.value(), 1.0},
                       {"fence intact", s.fenceIntact.value(), 1.0}},
                      s.misses);
    }
}

} // namespace
