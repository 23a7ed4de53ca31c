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
    EXPECT_EQ(FixedText::shown("Response generated successfully."),
              "Antwort erfolgreich erstellt.");
    EXPECT_EQ(FixedText::shown("Success: stored"), "Erfolgreich: stored")
        << "the server's words stay";
    EXPECT_EQ(FixedText::shown("Mailbox full"), "Mailbox full");
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
