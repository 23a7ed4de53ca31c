#include "views/fixedtext.h"
#include "views/viewlanguage.h"
#include "viewstest.h"

namespace {

TEST(ViewLanguageTest, TheUsersFirstLanguageThatHasATranslation) {
    const std::vector<std::pair<QStringList, QString>> cases{
        {{"de-DE"}, "de"},       {{"pt-BR", "en"}, "pt"}, {{"sv-SE", "nl-BE"}, "nl"},
        {{"en-GB", "fr"}, "en"}, {{"sv"}, "en"},          {{}, "en"},
    };
    for (const auto& [wanted, chosen] : cases) {
        EXPECT_EQ(ViewLanguage::use(wanted), chosen) << wanted.join(' ').toStdString();
    }
    ViewLanguage::use({"de"});
    // The toasts of a reply that failed, as well: the server's words and numbers stay.
    const std::vector<std::pair<QString, QString>> texts{
        {"Response generated successfully.", "Antwort erfolgreich erstellt."},
        {"Success: stored", "Erfolgreich: stored"},
        {"Server error: 503", "Serverfehler: 503"},
        {"Error sending request: timed out", "Fehler beim Senden der Anfrage: timed out"},
        {"No data received from server.", "Keine Daten vom Server erhalten."},
        {"There is no message text to reply to.", "Es gibt keinen Nachrichtentext zum Antworten."},
        {"Mailbox full", "Mailbox full"},
    };
    for (const auto& [english, shown] : texts) {
        EXPECT_EQ(FixedText::shown(english).toStdString(), shown.toStdString());
    }
    ViewLanguage::use({});
    EXPECT_EQ(FixedText::shown("Success: stored"), "Success: stored");
}

/// The views in each translation where their texts are longest, in every appearance; English
/// is ViewsTest's.
class LanguagesTest : public ViewsTest, public testing::WithParamInterface<const char*> {
protected:
    // The translator is the application's: the next case gets the views in English again.
    ~LanguagesTest() override { ViewLanguage::use({}); }
};

TEST_P(LanguagesTest, NoTextIsCutInAnyView) {
    const QString language = GetParam();
    ASSERT_EQ(ViewLanguage::use({language}), language);
    forEachAppearance([&](int width, const QString& suffix) {
        const QStringList shown = shootLongestTexts(width, '-' + language + suffix);
        EXPECT_NE(shown.at(0).toStdString(), ChatViewState::errorText.toStdString());
        EXPECT_NE(shown.at(1).toStdString(), "Response generated successfully.");
    });
}

INSTANTIATE_TEST_SUITE_P(Views, LanguagesTest, testing::Values("de", "fr", "es", "it", "nl", "pt"),
                         [](const testing::TestParamInfo<const char*>& language) {
                             return std::string(language.param);
                         });

} // namespace
