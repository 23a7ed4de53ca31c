// The engine on the sample messages, with the body cut from the raw message as the client
// cuts it: everything after the first blank line.
#include "extractiveengine.h"
#include "language.h"
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
    std::vector<std::string> leftOut;
    std::vector<std::string> questions;
};

const std::vector<Sample> samples = {
    {"budget-review.eml",
     "Bob",
     {"The quarterly budget review has moved to Friday at 10:00 in the large meeting room.",
      "Finance still owes us the travel figures"},
     {"hiking"},
     {"Can you send me the budget slides by Thursday noon?",
      "Please book a video link for the Berlin team.", "Who will present the hardware budget?"}},
    {"offsite-planning.eml",
     "Carla",
     {"The team offsite will take place in Porto from 9 to 11 March."},
     {"caf\xC3\xA9"},
     {"Could you confirm the number of people from your team by Friday?",
      "When should the buses leave on the last day?",
      "Let me know whether anyone needs a vegetarian menu."}},
    {"invoice-reminder.eml",
     "J\xC3\xBCrgen M\xC3\xBCller",
     {"Our invoice 2026-118 for the printing of the annual report is still open.",
      "The amount of 1,240 euros was due on 20 November."},
     {"font-family"},
     {"Could you please check whether the payment has been sent?"}},
    {"expense-tool.eml",
     "Dana",
     {"The new expense tool goes live on 1 February for every team.",
      "receipts are photographed in the app and no longer sent by post."},
     {"budget stays"},
     {"Could you tell your team about the training session on 28 January?"}},
    {"lyon-trip.eml",
     "\xC3\x89lodie",
     {"Your train to Lyon leaves Paris Gare de Lyon on Thursday at 07:58 from platform 11."},
     {"Thanks"},
     {"Can you forward the tickets to Marc?", "Please keep the receipts for the expense report."}},
    {"printer-notice.eml",
     "Facilities",
     {"The printers on the second floor will be replaced on Monday morning."},
     {"Coffee"},
     {"During the replacement, please use the printers on the third floor."}},
    // HTML in windows-1252 with entities, a comment, a style sheet and a script.
    {"harbour-concert.eml",
     "Ren\xC3\xA9"
     "e Laurent",
     {"The harbour concert takes place on Saturday at 19:30 on the quay in front of the "
      "caf\xC3\xA9 Le Phare.",
      "We\xE2\x80\x99ve reserved twenty seats for your team in the second row.",
      "it\xE2\x80\x99s a short walk"},
     {"Newsletter", "Georgia", "Tracking pixel", "Draft note", "600px", "&"},
     {"Could you send me the names of everyone who is coming by Thursday?",
      "Please bring the banner for the sponsors\xE2\x80\x99 stand."}},
};

TEST(SampleMail, SummariesKeepTheKeySentencesAndLeaveOutMinorOnes) {
    ExtractiveEngine engine;
    for (const Sample& sample : samples) {
        const std::string summary = engine.summarize(sampleBody(sample.file));
        for (const std::string& key : sample.keySentences) {
            EXPECT_NE(summary.find(key), std::string::npos) << sample.file << ": " << summary;
        }
        for (const std::string& minor : sample.leftOut) {
            EXPECT_EQ(summary.find(minor), std::string::npos) << sample.file << ": " << summary;
        }
    }
}

// A reply greets the sender by first name, answers each question and request in turn without
// quoting it back, and closes; all in the message's language.
void expectReply(const std::string& file, const std::string& reply, const std::string& greeting,
                 const std::vector<std::string>& asked, const std::string& closing) {
    EXPECT_TRUE(reply.starts_with(greeting + "\n\n")) << file << ":\n" << reply;
    for (std::size_t i = 0; i < asked.size(); ++i) {
        EXPECT_NE(reply.find("\n" + std::to_string(i + 1) + ". "), std::string::npos) << reply;
        EXPECT_EQ(reply.find(asked[i]), std::string::npos) << reply;
    }
    EXPECT_EQ(reply.find("\n" + std::to_string(asked.size() + 1) + ". "), std::string::npos)
        << reply;
    EXPECT_TRUE(reply.ends_with("\n\n" + closing + "\nAnn Lee")) << reply;
}

TEST(SampleMail, RepliesGreetTheSenderAndAnswerEachQuestionInTurn) {
    ExtractiveEngine engine;
    for (const Sample& sample : samples) {
        const std::string first = sample.sender.substr(0, sample.sender.find(' '));
        expectReply(sample.file, engine.reply(sampleBody(sample.file), "Ann Lee"),
                    "Hi " + first + ",", sample.questions, "Best regards,");
    }
}

struct ForeignSample {
    std::string file;
    Language language;
    std::string greeting;
    std::vector<std::string> asked;
    std::string closing;
    std::string signOff;
    std::string chatQuestion;
    std::string chatOpening;
};

const std::vector<ForeignSample> foreignSamples = {
    {"atelier-lille.eml",
     Language::French,
     "Bonjour Camille,",
     {"Pouvez-vous nous envoyer", "Merci de réserver"},
     "Cordialement,",
     "Cordialement",
     "Où a lieu l'atelier ?",
     "Le message dit : "},
    {"lager-bremen.eml",
     Language::German,
     "Hallo Jonas,",
     {"Wann können wir", "Bitte schicken Sie"},
     "Viele Grüße",
     "Viele Grüße",
     "Wohin zieht das Lager?",
     "In der Nachricht steht: "},
    {"presupuesto-madrid.eml",
     Language::Spanish,
     "Hola, Lucía,",
     {"¿Puedes preparar", "Por favor, envía"},
     "Un saludo,",
     "Un saludo",
     "¿Cuándo es la reunión de presupuesto?",
     "El mensaje dice: "},
    {"fiera-bologna.eml",
     Language::Italian,
     "Ciao Marco,",
     {"Quante persone", "Per favore, prenota"},
     "Cordiali saluti,",
     "Cordiali saluti",
     "Dove sarà lo stand alla fiera?",
     "Il messaggio dice: "},
    {"entrega-lisboa.eml",
     Language::Portuguese,
     "Olá Inês,",
     {"Quando podemos", "Por favor, envie-me"},
     "Com os melhores cumprimentos,",
     "cumprimentos",
     "Quando é a entrega do projeto?",
     "A mensagem diz: "},
    {"kantoor-utrecht.eml",
     Language::Dutch,
     "Hallo Pieter,",
     {"Welke bureaus", "Graag ontvang ik"},
     "Met vriendelijke groet,",
     "vriendelijke groet",
     "Wanneer komen de verhuizers?",
     "In het bericht staat: "},
};

TEST(SampleMail, AnswersFollowTheLanguageOfTheMessage) {
    ExtractiveEngine engine;
    for (const ForeignSample& sample : foreignSamples) {
        const std::string body = sampleBody(sample.file);
        EXPECT_EQ(detectLanguage(mailText(body)), sample.language) << sample.file;
        const std::string reply = engine.reply(body, "Ann Lee");
        expectReply(sample.file, reply, sample.greeting, sample.asked, sample.closing);
        EXPECT_EQ(detectLanguage(reply), sample.language) << reply;
        const std::string summary = engine.summarize(body);
        EXPECT_EQ(summary.find(sample.signOff), std::string::npos) << summary;
        EXPECT_EQ(summary.find(sample.greeting), std::string::npos) << summary;
        const std::string answer = engine.chat(body, sample.chatQuestion);
        EXPECT_TRUE(answer.starts_with(sample.chatOpening)) << answer;
        EXPECT_EQ(answer.find(sample.signOff), std::string::npos) << answer;
    }
    EXPECT_EQ(detectLanguage(mailText(sampleBody("budget-review.eml"))), Language::English);
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
