// The engine on the sample messages, with the body cut from the raw message as the client
// cuts it: everything after the first blank line.
#include "extractiveengine.h"
#include "mailtext.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace backend;

namespace {

std::string sampleBody(const std::string& name) {
    std::ifstream in(std::string(QUORVANE_SAMPLES_DIR) + "/" + name);
    std::stringstream raw;
    raw << in.rdbuf();
    const std::string message = raw.str();
    const std::size_t blank = message.find("\n\n");
    EXPECT_NE(blank, std::string::npos) << name;
    return blank == std::string::npos ? "" : message.substr(blank + 2);
}

struct Sample {
    std::string file;
    std::string sender;
    std::vector<std::string> keySentences;
    std::string leftOut;
    std::vector<std::string> questions;
};

const std::vector<Sample> samples = {
    {"budget-review.eml",
     "Bob",
     {"The quarterly budget review has moved to Friday at 10:00 in the large meeting room.",
      "Finance still owes us the travel figures"},
     "hiking",
     {"Can you send me the budget slides by Thursday noon?",
      "Please book a video link for the Berlin team.", "Who will present the hardware budget?"}},
    {"offsite-planning.eml",
     "Carla",
     {"The team offsite will take place in Porto from 9 to 11 March."},
     "caf\xC3\xA9",
     {"Could you confirm the number of people from your team by Friday?",
      "When should the buses leave on the last day?",
      "Let me know whether anyone needs a vegetarian menu."}},
    {"invoice-reminder.eml",
     "J\xC3\xBCrgen M\xC3\xBCller",
     {"Our invoice 2026-118 for the printing of the annual report is still open.",
      "The amount of 1,240 euros was due on 20 November."},
     "font-family",
     {"Could you please check whether the payment has been sent?"}},
    {"expense-tool.eml",
     "Dana",
     {"The new expense tool goes live on 1 February for every team.",
      "receipts are photographed in the app and no longer sent by post."},
     "budget stays",
     {"Could you tell your team about the training session on 28 January?"}},
    {"lyon-trip.eml",
     "\xC3\x89lodie",
     {"Your train to Lyon leaves Paris Gare de Lyon on Thursday at 07:58 from platform 11."},
     "Thanks",
     {"Can you forward the tickets to Marc?", "Please keep the receipts for the expense report."}},
    {"printer-notice.eml",
     "Facilities",
     {"The printers on the second floor will be replaced on Monday morning."},
     "Coffee",
     {"During the replacement, please use the printers on the third floor."}},
};

TEST(SampleMail, SummariesKeepTheKeySentencesAndLeaveOutMinorOnes) {
    ExtractiveEngine engine;
    for (const Sample& sample : samples) {
        const std::string summary = engine.summarize(sampleBody(sample.file));
        for (const std::string& key : sample.keySentences) {
            EXPECT_NE(summary.find(key), std::string::npos) << sample.file << ": " << summary;
        }
        EXPECT_EQ(summary.find(sample.leftOut), std::string::npos) << sample.file;
    }
}

TEST(SampleMail, RepliesGreetTheSenderAndAnswerEachQuestionInTurn) {
    ExtractiveEngine engine;
    for (const Sample& sample : samples) {
        const std::string reply = engine.reply(sampleBody(sample.file), "Ann Lee");
        EXPECT_EQ(reply.rfind("Hi " + sample.sender + ",\n\n", 0), 0u) << reply;
        std::size_t at = 0;
        for (std::size_t i = 0; i < sample.questions.size(); ++i) {
            const std::string point =
                std::to_string(i + 1) + ". You asked: \"" + sample.questions[i] + "\"\n   ";
            const std::size_t found = reply.find(point, at);
            ASSERT_NE(found, std::string::npos) << sample.file << ":\n" << reply;
            at = found + point.size();
        }
        EXPECT_EQ(reply.find(std::to_string(sample.questions.size() + 1) + ". You asked"),
                  std::string::npos)
            << reply;
        EXPECT_TRUE(reply.ends_with("\n\nBest regards,\nAnn Lee")) << reply;
    }
}

TEST(SampleMail, MimePartsAreDecodedToTheirText) {
    // multipart/alternative: the plain part wins, its quoted-printable UTF-8 decoded.
    const std::string offsite = mailText(sampleBody("offsite-planning.eml"));
    EXPECT_NE(offsite.find("The caf\xC3\xA9 next door"), std::string::npos);
    EXPECT_EQ(offsite.find("<p>"), std::string::npos);
    // An HTML part in ISO-8859-1 beside an attachment: text only, converted to UTF-8.
    const std::string invoice = mailText(sampleBody("invoice-reminder.eml"));
    EXPECT_NE(invoice.find("office in M\xC3\xBCnchen on 12 November."), std::string::npos);
    EXPECT_EQ(invoice.find("font-family"), std::string::npos);
    EXPECT_EQ(invoice.find("JVBERi0"), std::string::npos);
    // Single parts arrive without the headers that named their type and encoding.
    const std::string expense = mailText(sampleBody("expense-tool.eml"));
    EXPECT_NE(expense.find("Our caf\xC3\xA9 budget stays the same."), std::string::npos);
    EXPECT_NE(expense.find("no longer sent by post."), std::string::npos);
    EXPECT_EQ(expense.find('<'), std::string::npos);
    EXPECT_NE(mailText(sampleBody("lyon-trip.eml")).find("Seats 41 and 42 in coach 7"),
              std::string::npos);
}

} // namespace
