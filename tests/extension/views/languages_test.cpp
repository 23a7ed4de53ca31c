#include "stores/incommingupdatesmanager.h"
#include "views/fixedtext.h"
#include "views/viewlanguage.h"
#include "viewstest.h"

#include <QAccessible>

namespace {

/// The texts on screen that are cut short, by eliding or at their line limit.
QStringList cutTexts(const QQuickItem& item) {
    QStringList cut;
    if (!item.isVisible()) {
        return cut;
    }
    if (item.inherits("QQuickText") && item.property("truncated").toBool()) {
        cut << item.property("text").toString();
    }
    for (const QQuickItem* child : item.childItems()) {
        cut << cutTexts(*child);
    }
    return cut;
}

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

/// The views in one language, in every appearance, each with a control showing its focus ring.
class LanguagesTest : public ViewsTest, public testing::WithParamInterface<const char*> {
protected:
    ~LanguagesTest() override {
        ViewLanguage::use({});
        stores_.updates.setIncommingUpdatesAvailable(false);
    }
};

TEST_P(LanguagesTest, NoTextIsCutInAnyView) {
    const QString language = GetParam();
    ASSERT_EQ(ViewLanguage::use({language}), language);
    network().answer("/api/v1/summarize",
                     reply("Ann asks whether Tuesday at noon suits you for lunch."));
    network().answer("/api/v1/response", reply("Hi Ann,\n\nTuesday at noon works.\n\nBest,\nMe"));
    network().answer(kStart, kStarted);
    forEachAppearance([&](int width, const QString& suffix) {
        const auto shot = [&](ShownView& view, const QString& name) {
            const QString file = name + '-' + language + suffix;
            SCOPED_TRACE(file.toStdString());
            view.screenshot(file);
            EXPECT_EQ(cutTexts(*view.window().contentItem()).join('\n').toStdString(), "");
        };
        forget();
        network().answer(kSend, ScriptedAnswer::http(500, "{}"));
        view_ = chat(width);
        ask(*view_, "When can we meet?");
        answered(*view_);
        shot(*view_, "chat");
        // The fixed texts that state objects set in English show in the language.
        EXPECT_EQ(view_->text("chatError") == ChatViewState::errorText, language == "en");
        showLogin(width).key(Qt::Key_D, kDeveloperKeys);
        tabTo(*view_, "loginButton");
        shot(*view_, "login");
        forget();
        showPanel(width).click("generateResponseButton");
        answered(*view_);
        view_->key(Qt::Key_D, kDeveloperKeys);
        tabTo(*view_, "copyButton");
        shot(*view_, "panel");
        EXPECT_EQ(
            QAccessible::queryAccessibleInterface(&view_->get("toast"))->text(QAccessible::Name) ==
                "Response generated successfully.",
            language == "en");
        stores_.updates.setIncommingUpdatesAvailable(true);
        view_->settle();
        tabTo(*view_, "updateNowButton");
        shot(*view_, "update");
        stores_.updates.setIncommingUpdatesAvailable(false);
    });
}

INSTANTIATE_TEST_SUITE_P(Views, LanguagesTest,
                         testing::Values("en", "de", "fr", "es", "it", "nl", "pt"),
                         [](const testing::TestParamInfo<const char*>& language) {
                             return std::string(language.param);
                         });

} // namespace
