#include "extractiveengine.h"

#include "mailtext.h"

#include <gtest/gtest.h>

using namespace backend;

namespace {

const std::string plainMail = "Hi Ann,\n\n"
                              "The quarterly budget review has moved to Friday at 10.\n"
                              "The budget figures for the review are still missing from finance.\n"
                              "I had a nice weekend.\n\n"
                              "Can you send the budget slides by Thursday?\n"
                              "Please book the large meeting room.\n\n"
                              "Thanks,\nBob\n\n"
                              "On Mon, Ann wrote:\n> old text about lunch\n";

TEST(MailText, DecodesMimeForms) {
    const std::string alternative = "--b1\nContent-Type: text/plain; charset=utf-8\n\nPlain "
                                    "words.\n--b1\nContent-Type: text/html\n\n<p>Html "
                                    "words.</p>\n--b1--\n";
    EXPECT_EQ(mailText(alternative), "Plain words.\n");

    const std::string htmlOnly = "--b2\nContent-Type: text/html; charset=utf-8\n\n"
                                 "<html><style>p{}</style><p>Fish &amp; chips</p><p>Today</p>"
                                 "</html>\n--b2--\n";
    const std::string text = mailText(htmlOnly);
    EXPECT_NE(text.find("Fish & chips"), std::string::npos);
    EXPECT_EQ(text.find("p{}"), std::string::npos);

    const std::string base64 = "--b3\nContent-Type: text/plain; charset=utf-8\n"
                               "Content-Transfer-Encoding: base64\n\nSGVsbG8gdGhlcmUu\n--b3--\n";
    EXPECT_EQ(mailText(base64), "Hello there.\n");

    const std::string quoted = "--b4\nContent-Type: text/plain; charset=iso-8859-1\n"
                               "Content-Transfer-Encoding: quoted-printable\n\n"
                               "Caf=E9 at n=\noon.\n--b4--\n";
    EXPECT_EQ(mailText(quoted), "Caf\xC3\xA9 at noon.\n");
}

TEST(MailText, DropsQuotesAndSignature) {
    const std::string text = mailText("Real line.\n> quoted\nMore.\n-- \nBob\nPhone 123\n");
    EXPECT_EQ(text, "Real line.\nMore.\n");
    EXPECT_EQ(mailText(plainMail).find("old text"), std::string::npos);
}

TEST(ExtractiveEngine, SummaryKeepsKeySentences) {
    ExtractiveEngine engine;
    const std::string summary = engine.summarize(plainMail);
    EXPECT_NE(summary.find("budget review has moved to Friday"), std::string::npos);
    EXPECT_NE(summary.find("budget slides"), std::string::npos);
    EXPECT_EQ(summary.find("nice weekend"), std::string::npos);
    EXPECT_EQ(summary, engine.summarize(plainMail));
}

TEST(ExtractiveEngine, ReplyGreetsAnswersEachPointAndSigns) {
    ExtractiveEngine engine;
    const std::string reply = engine.reply(plainMail, "Ann Lee");
    EXPECT_EQ(reply.rfind("Hi Bob,", 0), 0u);
    EXPECT_NE(reply.find("Can you send the budget slides by Thursday?"), std::string::npos);
    EXPECT_NE(reply.find("book the large meeting room"), std::string::npos);
    EXPECT_EQ(reply.substr(reply.size() - 7), "Ann Lee");
}

TEST(ExtractiveEngine, ChatAnswersFromTheMessage) {
    ExtractiveEngine engine;
    EXPECT_NE(engine.chat(plainMail, "Which room should I book?").find("large meeting room"),
              std::string::npos);
    EXPECT_EQ(engine.chat(plainMail, "zebra?"), "The message does not say anything about that.");
    EXPECT_EQ(engine.summarize(""), "The message has no text to summarize.");
}

} // namespace
