#include "../scriptedbackend.h"
#include "buttonstatemanager.h"
#include "shownview.h"
#include "summarizemanager.h"
#include "summarizestatemanager.h"

#include <QTest>

namespace {

class SessionPanelTest : public ScriptedBackendTest {
protected:
    /// Shows a new panel, as the session tabs do: fresh state objects, stored results loaded.
    ShownView& show(int width = 400) {
        view_.reset();
        buttons_ = std::make_unique<ButtonStateManager>();
        summary_ = std::make_unique<SummarizeStateManager>();
        summary_->loadSavedSummary();
        buttons_->loadSavedResponses();
        view_ = std::make_unique<ShownView>(
            QStringLiteral("SessionModalView"),
            QVariantMap{{"buttonStateManager", QVariant::fromValue(buttons_.get())},
                        {"summarizeStateManager", QVariant::fromValue(summary_.get())}},
            width, 650);
        return *view_;
    }

    /// Lets every answer arrive and the view catch up.
    void answered() const {
        settle();
        view_->settle();
    }
    std::unique_ptr<ButtonStateManager> buttons_;
    std::unique_ptr<SummarizeStateManager> summary_;
    std::unique_ptr<ShownView> view_;
};

// What the state objects do with answers is in panelstate_test.cpp; these check what the view
// adds: layout by state and flag, and controls wired to their actions.
TEST_F(SessionPanelTest, AReplySwitchesToTheRegenerateLayout) {
    answer("/api/v1/summarize", 200, R"({"response":"Lunch."})");
    answer("/api/v1/response", 200, R"({"response":"Tuesday works."})");
    ShownView& view = show();
    EXPECT_TRUE(view.shows("generateResponseButton"));
    EXPECT_FALSE(view.shows("regenerateResponseButton"));

    view.click("generateResponseButton");
    EXPECT_TRUE(view.shows("replySpinner"));
    view.click("generateResponseButton"); // still active while the first one runs
    answered();
    EXPECT_EQ(network().requestsTo("/api/v1/response").size(), 2U);

    EXPECT_FALSE(view.shows("replySpinner"));
    EXPECT_TRUE(view.shows("regenerateResponseButton"));
    EXPECT_EQ(view.text("replyText"), "Tuesday works.");
    EXPECT_EQ(view.get("toast").property("message").toString(), "Response generated successfully.");
}

TEST_F(SessionPanelTest, CopyPutsExactlyTheReplyOnTheClipboardAndTheTooltipKeepsItsFirstTime) {
    const QString reply = QStringLiteral("Yes — שלום 👋\nSee you.");
    ASSERT_TRUE(defaults().set("generateResponse abc", reply));
    ASSERT_TRUE(defaults().set("abc_generateResponse", true));
    ShownView& view = show();
    view.click("copyButton");
    EXPECT_EQ(platform_.pasteboard().contents, reply);
    EXPECT_TRUE(view.shows("copyTooltip"));
    queue().advance(1.0);
    view.click("copyButton");
    queue().advance(1.0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !view.shows("copyTooltip"); }))
        << "hidden 2.0 s after the first press";

    platform_.pasteboard().refuses = true;
    ASSERT_TRUE(defaults().set("generateResponse abc", QString("other")));
    view.click("copyButton");
    EXPECT_TRUE(view.shows("copyTooltip")) << "shown whatever the clipboard did";
    EXPECT_EQ(platform_.pasteboard().contents, reply);
}

TEST_F(SessionPanelTest, TheSummaryAreaFollowsTheSubjectAndTheRequest) {
    answer("/api/v1/summarize", 200, R"({"response":"Lunch on Tuesday."})");
    ShownView& view = show();
    EXPECT_TRUE(view.shows("summaryProgress"));
    answered();
    EXPECT_TRUE(view.shows("summaryCard"));
    EXPECT_EQ(view.text("summaryText"), "Lunch on Tuesday.");

    ReplyEmailManager::shared().messageId = QStringLiteral("other");
    ReplyEmailManager::shared().subject.reset();
    show();
    EXPECT_FALSE(view_->shows("summaryCard"));
    EXPECT_FALSE(view_->shows("summaryProgress"));
    EXPECT_TRUE(view_->shows("quickResponseTab")) << "the tabs follow the header directly";
}

TEST_F(SessionPanelTest, AFailedSummaryOffersThePasteBoxWhichKeepsEveryEdit) {
    answer("/api/v1/summarize", 500, "{}");
    ShownView& view = show();
    for (int send = 0; send < 4; ++send) {
        answered();
        queue().advance(2.0);
    }
    answered();
    ASSERT_TRUE(view.shows("pasteBox"));
    EXPECT_TRUE(view.shows("summarizeButton"));
    EXPECT_EQ(view.text("pasteBox"), "Can we meet on Tuesday?") << "the text last summarized";

    view.get("pasteBox").setProperty("text", QString());
    view.type("pasteBox", "Pasted");
    EXPECT_EQ(SummarizeManager::shared().fallbackSummarizeContent, "Pasted");
    EXPECT_EQ(defaults().string(R"(Optional("abc") fallbackContent)"), QString("Pasted"));

    answer("/api/v1/summarize", 200, R"({"response":"From the paste."})");
    view.click("summarizeButton");
    answered();
    EXPECT_TRUE(view.shows("summaryCard"));
}

TEST_F(SessionPanelTest, TrainingSubmissionsToastTheServersAnswer) {
    ASSERT_TRUE(defaults().set("generateResponse abc", QString("Tuesday works.")));
    ASSERT_TRUE(defaults().set("abc_generateResponse", true));
    const struct {
        const char* answer;
        const char* toast;
    } cases[] = {{R"({"success":"stored"})", "Success: stored"},
                 {R"({"success":""})", "Failed to submit training data."}};
    ShownView& view = show();
    for (const auto& c : cases) {
        answer("/api/v1/create-training-data", 200, c.answer);
        view.click("submitTrainingButton");
        answered();
        EXPECT_EQ(buttons_->toastMessage(), c.toast);
        EXPECT_TRUE(view.shows("toast"));
    }
    EXPECT_TRUE(bodiesSentTo("/api/v1/create-training-data")
                    .back()
                    .contains(R"("answer":"Tuesday works.")"));
}

TEST_F(SessionPanelTest, LogOutSignsOut) {
    show().click("logoutButton");
    EXPECT_TRUE(log().contains("Logout button clicked"));
    EXPECT_FALSE(AuthManager::shared().hasAccessToken());
}

TEST_F(SessionPanelTest, HugeAndEmptyRepliesAndSummariesStayReadable) {
    QString huge;
    while (huge.size() < (1 << 20)) {
        huge += QStringLiteral("Thank you for the note, we will meet on Tuesday at noon.\n");
    }
    for (const QString& text : {QString(), huge}) {
        ASSERT_TRUE(defaults().set("generateResponse abc", text));
        ASSERT_TRUE(defaults().set("abc_generateResponse", true));
        ASSERT_TRUE(defaults().set("summarizeResponse abc", text));
        ShownView& view = show();
        EXPECT_TRUE(view.shows("regenerateResponseButton"));
        EXPECT_EQ(view.text("replyText").size(), text.size());
        EXPECT_TRUE(view.shows("summaryCard"));
        if (!text.isEmpty()) { // an empty summary takes no room in its card
            EXPECT_EQ(view.text("summaryText").size(), text.size());
        }
    }
}

TEST_F(SessionPanelTest, Screenshots) {
    answer("/api/v1/summarize", 200,
           R"({"response":"Ann asks whether Tuesday at noon suits you for lunch near the office, )"
           R"(and whether the budget slides can come along."})");
    answer("/api/v1/response", 200,
           R"({"response":"Hi Ann,\n\nTuesday at noon works for me. I will bring the budget )"
           R"(slides.\n\nBest,\nMe"})");
    forEachAppearance([&](int width, const QString& suffix) {
        for (const QString& key : defaults().keys()) {
            defaults().remove(key);
        }
        ASSERT_TRUE(defaults().set("selectedApiEndpoint", QString("dev")));
        ShownView& view = show(width);
        view.screenshot("panel-summary-loading" + suffix);
        view.click("generateResponseButton");
        view.screenshot("panel-reply-loading" + suffix);
        answered();
        view.screenshot("panel-reply-with-toast" + suffix);

        SummarizeManager::shared().requestFailed = true;
        ReplyEmailManager::shared().messageId = QStringLiteral("failed");
        show(width).screenshot("panel-content-unavailable" + suffix);
        SummarizeManager::shared().requestFailed = false;
        ReplyEmailManager::shared().subject.reset();
        show(width).screenshot("panel-empty" + suffix);
        ReplyEmailManager::shared().subject = QStringLiteral("Lunch on Tuesday");
        ReplyEmailManager::shared().messageId = QStringLiteral("abc");
        view_->root().setProperty("showDeveloperMenu", true);
        view_->screenshot("panel-developer-menu" + suffix);
    });
}

} // namespace
