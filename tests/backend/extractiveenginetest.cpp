#include "extractiveengine.h"

#include "htmltext.h"
#include "mailtext.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace backend;

namespace {

constexpr auto npos = std::string::npos;

TEST(HtmlText, ReadsMarkupAsText) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"<p>Caf&eacute; &amp; cr&egrave;me &lt;b&gt; it&#8217;s &#x2019; &quot;&apos;",
         "Caf\xC3\xA9 & cr\xC3\xA8me <b> it\xE2\x80\x99s \xE2\x80\x99 \"'\n"},
        {"<p>  one\n   two\tthree&nbsp; four</p>\n<p> five</p>", "one two three four\n\nfive\n"},
        {"<div>Hi Ann,</div><div><br></div><h2>Title</h2><ul><li>one<li>two</ul>Kind,<br>Dana",
         "Hi Ann,\n\nTitle\n\none\n\ntwo\n\nKind,\nDana\n"},
        {"<html><head><title>T</title><style>p{color:red}</style></head><body>"
         "<!-- width > 600 --><script>var x = '<p>no</p>';</script><p>Kept.</p></body></html>",
         "Kept.\n"},
        {"<p>Yes.</p><blockquote>Old <p>one</p><blockquote>older</blockquote></blockquote>"
         "<p>End.</p>",
         "Yes.\n\n> Old\n\n> one\n\n>> older\n\nEnd.\n"},
        // A meta charset does not override the UTF-8 that the mail part was converted to.
        {"<meta charset=\"iso-8859-1\"><p>M\xC3\xBCnchen</p>", "M\xC3\xBCnchen\n"},
        {"a < b and c > d &unknown;", "a < b and c > d &unknown;\n"},
        {std::string("<p>a\xFF"
                     "b\0c</p>",
                     10),
         "a\xEF\xBF\xBD"
         "b\xEF\xBF\xBD"
         "c\n"},
    };
    for (const auto& [html, text] : cases) {
        EXPECT_EQ(htmlText(html), text) << html;
    }
}

// The parser stops at its depth limit and keeps the text read so far.
TEST(HtmlText, HostileMarkupEndsInTextNotInACrash) {
    std::string deep = "<p>Before.</p>";
    for (int i = 0; i < 100000; ++i) {
        deep += "<div><b>";
    }
    EXPECT_EQ(htmlText(deep + "bottom"), "Before.\n");
    EXPECT_EQ(htmlText("&#99999999;&#0;&#xD800;<!-- open"), "");
}

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
    };
    for (const auto& [mail, text] : cases) {
        EXPECT_EQ(mailText(mail), text) << mail;
    }
    // Without a readable part the message is read as it stands, its bytes made UTF-8.
    EXPECT_NE(mailText(head + "Caf\xE9.\n--alt--\n").find("Caf\xEF\xBF\xBD."), npos);
}

TEST(ExtractiveEngine, ReplyGivesEveryQuestionItsOwnConcreteAnswer) {
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"When will the supplier deliver?",
         "As you mentioned, the supplier confirmed delivery for the second week of May."},
        {"Who signs the contract?", "I will find out who is responsible and tell you."},
        {"Could you please send me your notes?", "Yes, I will send you my notes."},
        {"Shall we meet at noon?", "Yes, let's meet at noon."},
        {"How many chairs do we need?", "I will send you the exact figures."},
        {"Is it raining?", "I will check this and confirm it to you shortly."}};
    std::string mail =
        "Hello Ann,\n\nThe supplier confirmed delivery for the second week of May.\n";
    for (const auto& [question, answer] : expected) {
        mail += question + "\n";
    }
    const std::string reply = ExtractiveEngine().reply(mail + "\nBest,\nCarla\n", "Ann");
    EXPECT_TRUE(reply.starts_with("Hi Carla,\n\n")) << reply;
    std::size_t at = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::string point = "\n" + std::to_string(i + 1) + ". " + expected[i].second;
        at = reply.find(point, at);
        ASSERT_NE(at, npos) << point << "\n---\n" << reply;
        EXPECT_EQ(reply.find(expected[i].first), npos) << "quoted back: " << expected[i].first;
    }
    EXPECT_EQ(reply.find(std::to_string(expected.size() + 1) + ". "), npos);
}

TEST(ExtractiveEngine, MessagesWithoutQuestionsOrAnswersSaySo) {
    ExtractiveEngine engine;
    EXPECT_EQ(engine.reply("Hi Ann,\n\nThe report is done.\n", ""),
              "Hello,\n\nThank you for your message. I have read it and will come back to you if "
              "anything is needed.\n\nBest regards,\nMe");
    const std::string mail = "The budget review moved to Friday.\nPlease book the large room.\n";
    EXPECT_NE(engine.chat(mail, "Which room should I book?").find("large room"), npos);
    EXPECT_EQ(engine.chat(mail, "zebra?"), "The message does not say anything about that.");
    EXPECT_EQ(engine.summarize(""), "The message has no text to summarize.");
}

// A sample message, its body cut from the raw message as the client cuts it: everything after
// the first blank line. The summary keeps `keeps` and leaves out `leavesOut`; the reply greets
// the sender by first name, answers in `points` numbered points and closes, in the message's
// language.
struct Sample {
    std::string file;
    std::string keeps;
    std::string leavesOut;
    std::string greeting;
    int points;
    std::string closing;
};

const std::vector<Sample> samples = {
    {"budget-review.eml",
     "The quarterly budget review has moved to Friday at 10:00 in the large meeting room.",
     "hiking", "Hi Bob,", 3, "Best regards,"},
    {"offsite-planning.eml", "The team offsite will take place in Porto from 9 to 11 March.",
     "caf\xC3\xA9", "Hi Carla,", 3, "Best regards,"},
    {"invoice-reminder.eml", "The amount of 1,240 euros was due on 20 November.", "font-family",
     "Hi J\xC3\xBCrgen,", 1, "Best regards,"},
    {"expense-tool.eml", "receipts are photographed in the app and no longer sent by post.",
     "budget stays", "Hi Dana,", 1, "Best regards,"},
    {"lyon-trip.eml",
     "Your train to Lyon leaves Paris Gare de Lyon on Thursday at 07:58 from platform 11.",
     "Thanks", "Hi \xC3\x89lodie,", 2, "Best regards,"},
    {"printer-notice.eml", "The printers on the second floor will be replaced on Monday morning.",
     "Coffee", "Hi Facilities,", 1, "Best regards,"},
    // HTML in windows-1252 with entities, a comment, a style sheet and a script.
    {"harbour-concert.eml",
     "We\xE2\x80\x99ve reserved twenty seats for your team in the second row.", "Tracking pixel",
     "Hi Ren\xC3\xA9"
     "e,",
     2, "Best regards,"},
    {"atelier-lille.eml", "le jeudi 12 mars", "Cordialement", "Bonjour Camille,", 2,
     "Cordialement,"},
    {"lager-bremen.eml", "Partner in Hamburg", "Viele Grüße", "Hallo Jonas,", 2, "Viele Grüße"},
    {"presupuesto-madrid.eml", "el martes a las diez", "Un saludo", "Hola, Lucía,", 2,
     "Un saludo,"},
    {"fiera-bologna.eml", "dal 20 al 23 aprile", "Cordiali saluti", "Ciao Marco,", 2,
     "Cordiali saluti,"},
    {"entrega-lisboa.eml", "dia 15 de maio", "cumprimentos", "Olá Inês,", 2,
     "Com os melhores cumprimentos,"},
    {"kantoor-utrecht.eml", "verhuizers komen op zaterdag", "vriendelijke groet", "Hallo Pieter,",
     2, "Met vriendelijke groet,"},
};

std::string sampleBody(const std::string& file) {
    std::stringstream raw;
    raw << std::ifstream(std::string(QUORVANE_SAMPLES_DIR) + "/" + file).rdbuf();
    return raw.str().substr(raw.str().find("\n\n") + 2);
}

TEST(SampleMail, SummariesAndRepliesFollowTheMessageAndItsLanguage) {
    ExtractiveEngine engine;
    for (const Sample& sample : samples) {
        SCOPED_TRACE(sample.file);
        const std::string body = sampleBody(sample.file);
        const std::string summary = engine.summarize(body);
        EXPECT_NE(summary.find(sample.keeps), npos) << summary;
        EXPECT_EQ(summary.find(sample.leavesOut), npos) << summary;
        const std::string reply = engine.reply(body, "Ann Lee");
        EXPECT_TRUE(reply.starts_with(sample.greeting + "\n\n")) << reply;
        EXPECT_NE(reply.find("\n" + std::to_string(sample.points) + ". "), npos) << reply;
        EXPECT_EQ(reply.find("\n" + std::to_string(sample.points + 1) + ". "), npos) << reply;
        EXPECT_TRUE(reply.ends_with("\n\n" + sample.closing + "\nAnn Lee")) << reply;
    }
    const std::string answer =
        engine.chat(sampleBody("atelier-lille.eml"), "Où a lieu l'atelier ?");
    EXPECT_TRUE(answer.starts_with("Le message dit : ")) << answer;
}

} // namespace
