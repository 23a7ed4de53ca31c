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

// The sample messages cover multipart, HTML and quoted-printable; base64 is left.
TEST(MailText, DecodesBase64Parts) {
    const std::string base64 = "--b3\nContent-Type: text/plain; charset=utf-8\n"
                               "Content-Transfer-Encoding: base64\n\nSGVsbG8gdGhlcmUu\n--b3--\n";
    EXPECT_EQ(mailText(base64), "Hello there.\n");
}

// Sent with its own headers, a message is decoded as one whose headers the client stripped.
TEST(MailText, WholeMessagesAreDecodedWithTheirHeaders) {
    const std::string body =
        "--alt\nContent-Type: text/plain; charset=utf-8\n"
        "Content-Transfer-Encoding: base64\n\nSGVsbG8gdGhlcmUu\n"
        "--alt\nContent-Type: text/html; charset=utf-8\n\n<p>Hello there.</p>\n"
        "--alt--\n";
    const std::string head = "MIME-Version: 1.0\nContent-Type: multipart/alternative;\n"
                             " boundary=\"alt\"\n\n";
    EXPECT_EQ(mailText(head + body), "Hello there.\n");
    EXPECT_EQ(mailText("From: Bob <bob@example.org>\nSubject: Lunch\n\nAt noon.\n"), "At noon.\n");
    EXPECT_EQ(mailText(body), "Hello there.\n");
    // Without a readable part the message is read as it stands, its bytes made UTF-8.
    EXPECT_NE(mailText(head + "Caf\xE9.\n--alt--\n").find("Caf\xEF\xBF\xBD."), std::string::npos);
    // Prose with a colon in its first line is not a head.
    EXPECT_EQ(mailText("Note: the room moved.\nSubject: lunch\n\nSee you.\n"),
              "Note: the room moved.\nSubject: lunch\n\nSee you.\n");
}

TEST(MailText, PlainTextIsNotTakenForAnEncoding) {
    for (const std::string text : {"Ok\nThanks\n", "Set x=A1 in the sheet, not E=MC2.\n",
                                   "<ann@example.org> wrote the list.\n"}) {
        EXPECT_EQ(mailText(text), text);
    }
}

TEST(MailText, DropsQuotesAndSignature) {
    const std::string text = mailText("Real line.\n> quoted\nMore.\n-- \nBob\nPhone 123\n");
    EXPECT_EQ(text, "Real line.\nMore.\n");
    EXPECT_EQ(mailText(plainMail).find("old text"), std::string::npos);
}

TEST(ExtractiveEngine, ReplyGivesEveryQuestionItsOwnConcreteAnswer) {
    const std::string mail = "Hello Ann,\n\n"
                             "The supplier confirmed delivery for the second week of May.\n"
                             "When will the supplier deliver?\n"
                             "Who signs the contract?\n"
                             "Could you please send me your notes?\n"
                             "Let me know whether you are free on Monday.\n"
                             "Do you have the travel figures?\n"
                             "Shall we meet at noon?\n"
                             "Can I call you tomorrow?\n"
                             "How many chairs do we need?\n"
                             "Is it raining?\n\n"
                             "Best,\nCarla\n";
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"When will the supplier deliver?",
         "As you mentioned, the supplier confirmed delivery for the second week of May."},
        {"Who signs the contract?", "I will find out who is responsible and tell you."},
        {"Could you please send me your notes?", "Yes, I will send you my notes."},
        {"Let me know whether you are free on Monday.",
         "I will let you know whether I am free on Monday."},
        {"Do you have the travel figures?",
         "I will check whether I have the travel figures and let you know."},
        {"Shall we meet at noon?", "Yes, let's meet at noon."},
        {"Can I call you tomorrow?", "Yes, you can call me tomorrow."},
        {"How many chairs do we need?", "I will send you the exact figures."},
        {"Is it raining?", "I will check this and confirm it to you shortly."}};
    const std::string reply = ExtractiveEngine().reply(mail, "Ann");
    EXPECT_EQ(reply.rfind("Hi Carla,", 0), 0u);
    std::size_t at = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::string point = "\n" + std::to_string(i + 1) + ". " + expected[i].second;
        const std::size_t found = reply.find(point, at);
        ASSERT_NE(found, std::string::npos) << point << "\n---\n" << reply;
        at = found + point.size();
    }
    EXPECT_EQ(reply.find(std::to_string(expected.size() + 1) + ". "), std::string::npos);
    for (const auto& [question, answer] : expected) {
        EXPECT_EQ(reply.find(question), std::string::npos) << "quoted back: " << question;
    }
}

TEST(ExtractiveEngine, ReplyWithoutQuestionsSaysSoAndLongMailsStayBounded) {
    ExtractiveEngine engine;
    const std::string reply = engine.reply("Hi Ann,\n\nThe report is done.\n", "");
    EXPECT_EQ(reply, "Hello,\n\nThank you for your message. I have read it and will come back "
                     "to you if anything is needed.\n\nBest regards,\nMe");
    std::string longMail;
    for (int i = 0; i < 2000; ++i) {
        longMail += "The budget item " + std::to_string(i) + " is open. When is item " +
                    std::to_string(i) + " due?\n";
    }
    const std::string longReply = engine.reply(longMail, "Ann");
    EXPECT_NE(longReply.find("\n2000. As you mentioned, the budget item 1999 is open."),
              std::string::npos);
}

TEST(ExtractiveEngine, ChatAnswersFromTheMessage) {
    ExtractiveEngine engine;
    EXPECT_NE(engine.chat(plainMail, "Which room should I book?").find("large meeting room"),
              std::string::npos);
    EXPECT_EQ(engine.chat(plainMail, "zebra?"), "The message does not say anything about that.");
    EXPECT_EQ(engine.summarize(""), "The message has no text to summarize.");
}

} // namespace
