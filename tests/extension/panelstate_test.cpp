#include "buttonstatemanager.h"
#include "fallbackcontent.h"
#include "panelactions.h"
#include "panelkeys.h"
#include "scriptedbackend.h"
#include "summarizemanager.h"
#include "summarizestatemanager.h"

namespace {

using PanelStateTest = ScriptedBackendTest;

TEST_F(PanelStateTest, KeysComeFromTheMessageIdentifierAtCreation) {
    ButtonStateManager buttons;
    SummarizeStateManager summary;
    ReplyEmailManager::shared().messageId = QStringLiteral("later");
    EXPECT_EQ(buttons.summarizeResponseKey(), "summarizeResponse abc");
    EXPECT_EQ(buttons.generateResponseKey(), "generateResponse abc");
    EXPECT_EQ(summary.summarizeResponseKey(), "summarizeResponse abc");
    EXPECT_EQ(buttons.property("generateResponseKey").toString(), "generateResponse abc");

    ReplyEmailManager::shared().messageId = QStringLiteral("abc");
    EXPECT_EQ(PanelKeys::summaryDoneFlag(), "abc_summarize");
    EXPECT_EQ(PanelKeys::replyDoneFlag(), "abc_generateResponse");
    EXPECT_EQ(PanelKeys::fallbackContentKey(), "Optional(\"abc\") fallbackContent");
    ReplyEmailManager::shared().messageId = QStringLiteral("a\"b\\c\n");
    EXPECT_EQ(PanelKeys::fallbackContentKey(), "Optional(\"a\\\"b\\\\c\\n\") fallbackContent");

    ReplyEmailManager::shared().messageId.reset();
    ButtonStateManager compose;
    EXPECT_EQ(compose.summarizeResponseKey(), "summarizeResponse compose");
    EXPECT_EQ(compose.generateResponseKey(), "generateResponse compose");
    EXPECT_EQ(PanelKeys::summaryDoneFlag(), "_summarize");
    EXPECT_EQ(PanelKeys::replyDoneFlag(), "_generateResponse");
    EXPECT_EQ(PanelKeys::fallbackContentKey(), "nil fallbackContent");
}

TEST_F(PanelStateTest, AReplyChangesStateOnlyOnTheMainThreadAndIsStored) {
    answer("/api/v1/response", 200, R"({"response":"Tuesday works."})");
    ButtonStateManager buttons;
    QStringList changes;
    QObject::connect(&buttons, &ButtonStateManager::isGenerateResponseLoadingChanged, [&] {
        changes << QStringLiteral("loading=%1").arg(buttons.isGenerateResponseLoading());
    });
    QObject::connect(&buttons, &ButtonStateManager::generateResponseChanged,
                     [&] { changes << "reply"; });
    QObject::connect(&buttons, &ButtonStateManager::showToastChanged, [&] { changes << "toast"; });

    generateReply(buttons);
    EXPECT_TRUE(buttons.isGenerateResponseLoading());
    ASSERT_TRUE(network().waitUntilIdle());
    EXPECT_EQ(changes, QStringList{"loading=1"}) << "nothing changes off the main thread";
    settle();

    EXPECT_EQ(changes, (QStringList{"loading=1", "reply", "toast", "loading=0"}));
    EXPECT_EQ(buttons.generateResponse(), QString("Tuesday works."));
    EXPECT_EQ(buttons.toastMessage(), "Response generated successfully.");
    EXPECT_TRUE(buttons.showToast());
    EXPECT_EQ(defaults().string("generateResponse abc"), QString("Tuesday works."));
    EXPECT_EQ(defaults().flag("abc_generateResponse"), true);
    EXPECT_EQ(
        bodiesSentTo("/api/v1/response").at(0),
        R"({"messageId":"abc","content":"Can we meet on Tuesday?",)"
        R"("email":"me@example.com","plugin_source":"plugin_apple","plugin_version":"v1.0.0"})");

    ButtonStateManager nextPanel;
    nextPanel.loadSavedResponses();
    EXPECT_EQ(nextPanel.generateResponse(), QString("Tuesday works."));
    EXPECT_EQ(nextPanel.summarizeResponse(), std::nullopt);
}

TEST_F(PanelStateTest, AFailedReplyToastsItsErrorAndKeepsTheStoredOne) {
    ASSERT_TRUE(defaults().set("generateResponse abc", QStringLiteral("earlier reply")));
    answer("/api/v1/response", 401, R"({"detail":"expired"})");
    ButtonStateManager buttons;
    generateReply(buttons);
    settle();
    EXPECT_EQ(buttons.toastMessage(), "Server error: 401");
    EXPECT_EQ(buttons.generateResponse(), std::nullopt);
    EXPECT_EQ(defaults().string("generateResponse abc"), QString("earlier reply"));

    AuthManager::shared().setAccessToken(std::nullopt);
    generateReply(buttons);
    EXPECT_TRUE(buttons.isGenerateResponseLoading()) << "the result arrives through the main queue";
    queue().runDue();
    EXPECT_FALSE(buttons.isGenerateResponseLoading());
    EXPECT_EQ(buttons.toastMessage(), "Access token is null");
    EXPECT_TRUE(log().contains("Access token is null in generate response API call"));
    EXPECT_EQ(network().requestsTo("/api/v1/response").size(), 1U);
}

TEST_F(PanelStateTest, WithoutMessageTextTheReplyUsesTheFallbackContent) {
    ReplyEmailManager::shared().content.reset();
    answer("/api/v1/response", 200, R"({"response":"ok"})");
    ButtonStateManager buttons;
    generateReply(buttons);
    queue().runDue();
    EXPECT_FALSE(buttons.isGenerateResponseLoading()) << "nothing to reply to is reported";
    EXPECT_FALSE(buttons.toastMessage().isEmpty());
    EXPECT_TRUE(network().requests().empty());

    ASSERT_TRUE(storeFallbackContent("pasted text"));
    generateReply(buttons);
    settle();
    EXPECT_TRUE(bodiesSentTo("/api/v1/response").at(0).contains(R"("content":"pasted text")"));
}

TEST_F(PanelStateTest, TheToastHidesFiveSecondsAfterItFirstShows) {
    ButtonStateManager buttons;
    buttons.toast("first");
    queue().advance(3.0);
    buttons.toast("second");
    EXPECT_EQ(buttons.toastMessage(), "second");
    EXPECT_EQ(queue().scheduledCount(), 1U) << "a toast already showing schedules nothing new";
    queue().advance(1.5);
    EXPECT_TRUE(buttons.showToast());
    queue().advance(0.5);
    EXPECT_FALSE(buttons.showToast());
    EXPECT_EQ(queue().now(), 5.0);

    buttons.toast("third");
    queue().advance(4.5);
    EXPECT_TRUE(buttons.showToast());
    queue().advance(0.5);
    EXPECT_FALSE(buttons.showToast());
}

TEST_F(PanelStateTest, APanelGoneBeforeItsResultIsLeftAlone) {
    answer("/api/v1/response", 200, R"({"response":"late"})");
    auto buttons = std::make_unique<ButtonStateManager>();
    buttons->toast("shown");
    generateReply(*buttons);
    buttons.reset();
    settle();
    queue().advance(10.0);
    EXPECT_EQ(defaults().string("generateResponse abc"), std::nullopt);
}

TEST_F(PanelStateTest, ASummaryIsFetchedOnceStoredAndReloaded) {
    answer("/api/v1/summarize", 200, R"({"response":"A meeting request."})");
    SummarizeStateManager summary;
    summary.loadSavedSummary();
    summary.requestSummary();
    summary.requestSummary();
    EXPECT_TRUE(summary.isSummarizeLoading());
    settle();

    EXPECT_EQ(summary.summarizeResponse(), QString("A meeting request."));
    EXPECT_EQ(network().requestsTo("/api/v1/summarize").size(), 1U) << "one request while loading";
    EXPECT_EQ(defaults().string("summarizeResponse abc"), QString("A meeting request."));
    EXPECT_EQ(defaults().flag("abc_summarize"), true);
    EXPECT_EQ(loadFallbackContent(), QString("Can we meet on Tuesday?"));
    ASSERT_EQ(SummarizeManager::shared().responses.count("abc"), 1U);
    EXPECT_EQ(SummarizeManager::shared().responses.at("abc").response, "A meeting request.");

    SummarizeStateManager nextPanel;
    nextPanel.loadSavedSummary();
    nextPanel.requestSummary();
    EXPECT_FALSE(nextPanel.isSummarizeLoading()) << "a stored summary is not asked for again";
    EXPECT_EQ(nextPanel.summarizeResponse(), QString("A meeting request."));
}

TEST_F(PanelStateTest, ASummaryWithoutResultDropsTheCachedEntry) {
    SummarizeManager::shared().responses.insert_or_assign("abc", SummarizedResponse{"abc", "old"});
    answer("/api/v1/summarize", 200, R"({"response":5})");
    SummarizeStateManager summary;
    summary.requestSummary();
    settle();
    EXPECT_EQ(summary.summarizeResponse(), std::nullopt);
    EXPECT_EQ(SummarizeManager::shared().responses.count("abc"), 0U);
    EXPECT_EQ(defaults().string("summarizeResponse abc"), std::nullopt);
}

TEST_F(PanelStateTest, ASummaryWithoutTokenEndsAtOnce) {
    AuthManager::shared().setAccessToken(std::nullopt);
    SummarizeStateManager summary;
    summary.requestSummary();
    queue().runDue();
    EXPECT_FALSE(summary.isSummarizeLoading());
    EXPECT_TRUE(log().contains("Access token is null in summarize API call"));
    EXPECT_TRUE(network().requests().empty());
}

TEST_F(PanelStateTest, SummarizeFromThePanelShowsButDoesNotStore) {
    ReplyEmailManager::shared().content.reset();
    SummarizeManager::shared().fallbackSummarizeContent = QStringLiteral("typed in");
    answer("/api/v1/summarize", 200, R"({"response":"Short."})");
    SummarizeStateManager summary;
    summarizeFromPanel(summary);
    settle();
    EXPECT_EQ(summary.summarizeResponse(), QString("Short."));
    EXPECT_EQ(defaults().string("summarizeResponse abc"), std::nullopt);
    EXPECT_EQ(defaults().flag("abc_summarize"), std::nullopt);
    EXPECT_EQ(loadFallbackContent(), QString("typed in"));
    EXPECT_TRUE(log().contains(
        R"(Summarization successful: SummarizedResponse(messageId: "abc", response: "Short."))"));
    EXPECT_TRUE(bodiesSentTo("/api/v1/summarize").at(0).contains(R"("content":"typed in")"));

    answer("/api/v1/summarize", 200, "{}");
    summarizeFromPanel(summary);
    settle();
    EXPECT_TRUE(log().contains("Failed to summarize."));
    EXPECT_EQ(summary.summarizeResponse(), QString("Short."));

    // A panel closed before the answer still gets its outcome logged.
    auto closed = std::make_unique<SummarizeStateManager>();
    summarizeFromPanel(*closed);
    closed.reset();
    settle();
    EXPECT_EQ(log().lines().count("Failed to summarize."), 2);
}

} // namespace
