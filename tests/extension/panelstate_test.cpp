// The panel's reply and summary state: what changes on which thread, what is sent, and what a
// failure keeps. Where results are stored is the two-window test's; reloading them is the views'.
#include "panel/buttonstatemanager.h"
#include "panel/sessionpanel.h"
#include "panel/summarizestatemanager.h"
#include "scriptedbackend.h"

namespace {

using PanelStateTest = ScriptedBackendTest;

TEST_F(PanelStateTest, AReplyChangesStateOnlyOnTheMainThread) {
    ButtonStateManager buttons(*window_);
    QStringList changes;
    QObject::connect(&buttons, &ButtonStateManager::isGenerateResponseLoadingChanged, [&] {
        changes << QStringLiteral("loading=%1").arg(buttons.isGenerateResponseLoading());
    });
    QObject::connect(&buttons, &ButtonStateManager::generateResponseChanged,
                     [&] { changes << "reply"; });
    QObject::connect(&buttons, &ButtonStateManager::showToastChanged, [&] { changes << "toast"; });

    buttons.generateReply();
    buttons.generateReply(); // pressed again while the reply is awaited
    ASSERT_TRUE(network().waitUntilIdle());
    EXPECT_EQ(changes, QStringList{"loading=1"}) << "nothing changes off the main thread";
    settle();
    EXPECT_EQ(changes, (QStringList{"loading=1", "reply", "toast", "loading=0"}));
    EXPECT_EQ(bodiesSentTo("/api/v1/response"),
              QList<QByteArray>{
                  R"({"messageId":"abc","content":"Can we meet on Tuesday?","email":)"
                  R"("me@example.com","plugin_source":"plugin_apple","plugin_version":"v1.0.0"})"});
}

TEST_F(PanelStateTest, AFailedOrRefusedReplyToastsWhyAndKeepsTheStoredOne) {
    ASSERT_TRUE(defaults().set("generateResponse abc", QStringLiteral("earlier reply")));
    reopenWindow([](ReplyContext& context) { context.content.reset(); });
    ButtonStateManager buttons(*window_);
    // Nor is the empty text that a summary of a message without text keeps as pasted.
    for (const std::optional<QString>& nothing : {std::optional<QString>(), {""}, {" \n"}}) {
        if (nothing) {
            ASSERT_TRUE(window_->storeFallbackContent(*nothing));
        }
        buttons.generateReply();
        queue().runDue();
        EXPECT_EQ(buttons.toastMessage(), "There is no message text to reply to.");
    }

    ASSERT_TRUE(window_->storeFallbackContent("pasted text"));
    stores_.auth.setAccessToken(std::nullopt);
    buttons.generateReply();
    EXPECT_TRUE(buttons.isGenerateResponseLoading()) << "the result arrives through the main queue";
    queue().runDue();
    EXPECT_FALSE(buttons.isGenerateResponseLoading());
    EXPECT_EQ(buttons.toastMessage(), "Access token is null");
    EXPECT_TRUE(network().requests().empty());

    stores_.auth.setAccessToken(QStringLiteral("tok"));
    answer("/api/v1/response", 401, R"({"detail":"expired"})");
    buttons.generateReply();
    settle();
    EXPECT_EQ(buttons.toastMessage(), "Server error: 401");
    EXPECT_EQ(defaults().string("generateResponse abc"), QString("earlier reply"));
    EXPECT_TRUE(bodiesSentTo("/api/v1/response").at(0).contains(R"("content":"pasted text")"));

    // Training pairs the kept reply with what it answered, here the pasted text.
    buttons.loadSavedResponses();
    SessionPanel panel;
    panel.setButtonStateManager(&buttons);
    panel.sendTrainingExample();
    settle();
    const QByteArray training = bodiesSentTo("/api/v1/create-training-data").at(0);
    EXPECT_TRUE(training.contains(R"("question":"pasted text","answer":"earlier reply")"))
        << training.toStdString();
}

TEST_F(PanelStateTest, ASummaryReplacesTheCachedOneOnlyWhenThereIsOneAndIsFetchedOnce) {
    stores_.summaries.responses.insert_or_assign("abc", SummarizedResponse{"abc", "old"});
    answer("/api/v1/summarize", 200, R"({"response":5})");
    SummarizeStateManager summary(*window_);
    summary.requestSummary();
    settle();
    EXPECT_EQ(stores_.summaries.responses.count("abc"), 0U) << "no stale summary";
    EXPECT_EQ(defaults().string("summarizeResponse abc"), std::nullopt);

    answer("/api/v1/summarize", 200, R"({"response":"A meeting request."})");
    summary.requestSummary();
    summary.requestSummary();
    settle();
    EXPECT_EQ(summary.summarizeResponse(), QString("A meeting request."));
    EXPECT_EQ(network().requestsTo("/api/v1/summarize").size(), 2U) << "one request while loading";
}

// A message whose text could not be read is offered the paste box at once, and nothing is asked.
TEST_F(PanelStateTest, AMessageWithoutTextOffersThePasteBoxAndAsksNothing) {
    reopenWindow([](ReplyContext& context) { context.content.reset(); });
    ButtonStateManager buttons(*window_);
    SummarizeStateManager summary(*window_);
    SessionPanel panel;
    panel.setButtonStateManager(&buttons);
    panel.setSummarizeStateManager(&summary);
    panel.summaryAreaShown();
    settle();
    EXPECT_EQ(panel.summarySection(), SessionPanel::SummarySection::ContentUnavailable);
    EXPECT_TRUE(network().requests().empty());
}

// A closed panel's reply is dropped with its toast; its summary's outcome is still logged.
TEST_F(PanelStateTest, APanelClosedBeforeItsAnswersArriveIsLeftAlone) {
    answer("/api/v1/response", 200, R"({"response":"late"})");
    answer("/api/v1/summarize", 200, "{}");
    auto buttons = std::make_unique<ButtonStateManager>(*window_);
    auto summary = std::make_unique<SummarizeStateManager>(*window_);
    buttons->toast("shown");
    buttons->generateReply();
    summary->summarizeFromPanel();
    buttons.reset();
    summary.reset();
    settle();
    queue().advance(10.0);
    EXPECT_EQ(defaults().string("generateResponse abc"), std::nullopt);
    EXPECT_TRUE(log().contains("Failed to summarize."));
}

} // namespace
