#include "extractiveengine.h"

#include "framing.h"
#include "mailtext.h"

#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>

using namespace backend;

namespace {

constexpr auto npos = std::string::npos;

// A message sent with its own headers is decoded as one whose headers the client stripped;
// plain text is not taken for an encoding or a head; quotes and the signature go.
TEST(MailText, DecodesWhatTheClientSends) {
    const std::string body =
        "--alt\nContent-Type: text/plain; charset=utf-8\n"
        "Content-Transfer-Encoding: base64\n\nSGVsbG8gdGhlcmUu\n"
        "--alt\nContent-Type: text/html; charset=utf-8\n\n<p>Hello there.</p>\n"
        "--alt--\n";
    const std::string head = "MIME-Version: 1.0\nContent-Type: multipart/alternative;\n"
                             " boundary=\"alt\"\n\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {head + body, "Hello there.\n"},
        {body, "Hello there.\n"},
        {"From: Bob <bob@example.org>\nSubject: Lunch\n\nAt noon.\n", "At noon.\n"},
        {"Note: the room moved.\nSubject: lunch\n\nSee you.\n",
         "Note: the room moved.\nSubject: lunch\n\nSee you.\n"},
        {"Set x=A1 in the sheet, not E=MC2.\n", "Set x=A1 in the sheet, not E=MC2.\n"},
        {"<ann@example.org> wrote the list.\n", "<ann@example.org> wrote the list.\n"},
        {"Real line.\n> quoted\nMore.\n-- \nBob\nPhone 123\n", "Real line.\nMore.\n"},
        {"Oui.\nLe jeu. 3 déc. 2026 à 14:32, Ann <a@example.org> a écrit :\nAlt.\n", "Oui.\n"},
        {"Ja.\n-----Ursprüngliche Nachricht-----\nVon: Ann\n", "Ja.\n"},
        {"Here is what the auditor wrote:\nAll fine.\n",
         "Here is what the auditor wrote:\nAll fine.\n"},
    };
    for (const auto& [mail, text] : cases) {
        EXPECT_EQ(mailText(mail), text) << mail;
    }
    // Without a readable part the message is read as it stands, its bytes made UTF-8.
    EXPECT_NE(mailText(head + "Caf\xE9.\n--alt--\n").find("Caf\xEF\xBF\xBD."), npos);
}

// Another draft of a reply, as a person asks for it, says the same in other words.
TEST(ExtractiveEngine, EachFurtherReplyToAMailIsWordedAnewRoundTheSamePoints) {
    ExtractiveEngine engine;
    const std::string mail = "Hi Ann,\n\nCan you send the slides?\n\nBob\n";
    const auto draft = [&](const std::string& name) {
        std::string text;
        static_cast<Engine&>(engine).reply(
            mail, name, [&text](EngineResult result) { text = std::get<std::string>(result); });
        return text;
    };
    std::vector<std::string> drafts;
    for (std::size_t i = 0; i <= kFramings; ++i) {
        drafts.push_back(draft("Ann"));
    }
    EXPECT_EQ(drafts[0], engine.reply(mail, "Ann"));
    const std::string point = drafts[0].substr(drafts[0].find("\n1. "));
    const std::string answer = point.substr(0, point.find('\n', 1));
    const std::string greeting = drafts[0].substr(0, drafts[0].find("\n\n") + 2);
    for (std::size_t i = 1; i < kFramings; ++i) {
        EXPECT_NE(drafts[i], drafts[i - 1]);
        EXPECT_TRUE(drafts[i].starts_with(greeting) && drafts[i].ends_with("\nAnn")) << drafts[i];
        EXPECT_NE(drafts[i].find(answer), npos) << drafts[i];
    }
    EXPECT_EQ(drafts[kFramings], drafts[0]) << "the wordings come round";
    EXPECT_EQ(draft("Cy"), engine.reply(mail, "Cy")) << "another person's first draft";
    for (const Language language :
         {Language::English, Language::French, Language::German, Language::Spanish,
          Language::Italian, Language::Portuguese, Language::Dutch}) {
        for (std::size_t i = 1; i < kFramings; ++i) {
            const Framing earlier = framingFor(language, i - 1);
            const Framing next = framingFor(language, i);
            EXPECT_TRUE(next.thanks != earlier.thanks && next.closing != earlier.closing &&
                        next.nothingAsked != earlier.nothingAsked)
                << static_cast<int>(language) << " draft " << i;
        }
    }
}

// Sample bodies cut as the client cuts them, after the first blank line. Messages without
// questions, or without the answer asked for, say so.
TEST(ExtractiveEngine, SummariesRepliesAndChatFollowTheMessageAndItsLanguage) {
    const std::vector<std::tuple<std::string, std::string, std::string>> samples = {
        {"budget-review.eml", "review has moved to Friday at 10:00", "Hi Bob,"},
        {"atelier-lille.eml", "le jeudi 12 mars", "Bonjour Camille,"},
        {"lager-bremen.eml", "Partner in Hamburg", "Hallo Jonas,"},
        {"presupuesto-madrid.eml", "el martes a las diez", "Hola, Lucía,"},
        {"fiera-bologna.eml", "dal 20 al 23 aprile", "Ciao Marco,"},
        {"entrega-lisboa.eml", "dia 15 de maio", "Olá Inês,"},
        {"kantoor-utrecht.eml", "verhuizers komen op zaterdag", "Hallo Pieter,"},
    };
    ExtractiveEngine engine;
    for (const auto& [file, keeps, greeting] : samples) {
        SCOPED_TRACE(file);
        std::stringstream raw;
        raw << std::ifstream(std::string(QUORVANE_SAMPLES_DIR) + "/" + file).rdbuf();
        const std::string body = raw.str().substr(raw.str().find("\n\n") + 2);
        EXPECT_NE(engine.summarize(body).find(keeps), npos) << engine.summarize(body);
        const std::string reply = engine.reply(body, "Ann Lee");
        EXPECT_TRUE(reply.starts_with(greeting + "\n\n") && reply.ends_with("\nAnn Lee")) << reply;
        EXPECT_NE(reply.find("\n1. "), npos) << reply;
    }
    // Thanks that open the message are its own; thanks above the name sign it off.
    const std::string thanks = "Hi Ann,\n\nThanks for the update.\nThe room is booked for "
                               "Friday.\n\nThanks for your help.\nBob Ray\n";
    EXPECT_TRUE(engine.reply(thanks, "Ann").starts_with("Hi Bob,")) << engine.reply(thanks, "Ann");
    EXPECT_NE(engine.summarize(thanks).find("The room is booked"), npos);
    // The language is the message's own, not that of a signature below the sign-off.
    EXPECT_THAT(engine.reply(
                    "Hallo Ann,\n\nKönnen Sie mir bis Freitag die Rechnung schicken?\n\n"
                    "Viele Grüße\nJan Becker\nHead of Logistics, Nordhafen Trading\nThis "
                    "e-mail and any attachments are confidential and intended solely for "
                    "the addressee. If you are not the intended recipient, please notify "
                    "the sender and delete this message and all copies from your system. Any views "
                    "or opinions presented in this e-mail are solely those of the author and "
                    "do not necessarily represent those of the company.\n",
                    "Ann"),
                testing::StartsWith("Hallo Jan,"));
    EXPECT_EQ(engine.reply("Hi Ann,\n\nThe report is done.\n", ""),
              "Hello,\n\nThank you for your message. I have read it and will come back to you if "
              "anything is needed.\n\nBest regards,\nMe");
    // A request asked with "please" inside the sentence is answered too.
    for (const char* asked : {"Schicken Sie mir bitte den Bericht.",
                              "The team would like you to please confirm by noon."}) {
        EXPECT_NE(engine.reply(std::string(asked) + "\n", "Ann").find("\n1. "), npos) << asked;
    }
    // A mail of a thousand questions, or of one endless one, gets a reply a person could send.
    std::string questions;
    std::string endless = "Can you check";
    for (int i = 0; i < 1000; ++i) {
        questions += "Is it ok?\n";
        endless += " this and that";
    }
    for (const std::string& flood : {questions, endless + "?\n"}) {
        EXPECT_LT(engine.reply(flood, "Ann").size(), 2000u) << flood.substr(0, 40);
    }
    // What a mail repeats is answered and summed up once.
    EXPECT_EQ(engine.reply(questions, "Ann").find("\n2. "), npos) << engine.reply(questions, "Ann");
    EXPECT_EQ(engine.summarize("The bus is at 10.\nThe bus is at 10.\nBring the slides.\n"),
              "The bus is at 10. Bring the slides.");
    const std::string mail = "The budget review moved to Friday.\nPlease book the large room.\n";
    const std::string trip = "Your train leaves Paris at 07:58.\nPlease keep the receipts.\n";
    const std::string asks = "Hi Ann,\nCan you send the slides?\nThe room is free.\nPlease book "
                             "it.\nWho presents?\nShall we order coffee?\n";
    const std::string none = "The message does not say anything about that.";
    const std::string wanted = "The message says: \"Can you send the slides? … Please book it. "
                               "Who presents?\"";
    const struct {
        std::string mail, question, answer;
        bool exact = true;
    } chats[] = {
        {mail, "Which room should I book?", "large room", false},
        // A question meets the mail's inflections: "leave" finds "leaves", "trains" finds "train".
        {trip, "When do we leave?", "07:58", false},
        {trip, "Which trains are booked?", "07:58", false},
        // Neither an unknown word nor a shared auxiliary ("should") makes an answer.
        {mail + "When should the buses leave?\n", "zebra?", none},
        {mail + "When should the buses leave?\n", "What should I bring?", none},
        // Each part of a two-part question is answered, in the message's order.
        {"The review moved to Friday.\nLunch is at noon.\nPlease book the large room.\n",
         "Which room do I book, and when is the review?",
         "The message says: \"The review moved to Friday. … Please book the large room.\""},
        // What the mail wants of its reader is what it asks, though the question names none of it.
        {asks, "What does Bob need from me?", wanted},
        {asks, "Was möchte er von mir?", wanted},
        {"The report is done.\n", "What does he want?", none},
    };
    for (const auto& chat : chats) {
        const std::string answer = engine.chat(chat.mail, chat.question);
        EXPECT_TRUE(chat.exact ? answer == chat.answer : answer.find(chat.answer) != npos)
            << chat.question << ": " << answer;
    }
    EXPECT_EQ(engine.summarize(""), "The message has no text to summarize.");
}

} // namespace
