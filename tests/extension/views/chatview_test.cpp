#include "../scriptedbackend.h"
#include "chaterrortext.h"
#include "chatviewstate.h"
#include "shownview.h"
#include "startchatmanager.h"

#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPalette>
#include <QTest>

namespace {

const QString kStart = QStringLiteral("/api/v1/chat/start");
const QString kSend = QStringLiteral("/api/v1/chat/send");
const ScriptedAnswer kStarted =
    ScriptedAnswer::http(200, R"({"response":{"assistantId":"asst_1","threadId":"th_1"}})");

QByteArray sendBody(const char* content) {
    return QByteArray(R"({"assistantId":"asst_1","threadId":"th_1","email":"me@example.com",)") +
           R"("content":")" + content +
           R"(","plugin_source":"plugin_apple","plugin_version":"v1.0.0"})";
}

ScriptedAnswer reply(const QString& text) {
    return ScriptedAnswer::http(200, QJsonDocument(QJsonObject{{"response", text}}).toJson());
}

class ChatViewTest : public ScriptedBackendTest {
protected:
    ChatViewTest() {
        ReplyEmailManager::shared().messageId = QStringLiteral("<m@x>");
        ReplyEmailManager::shared().content = QStringLiteral("Can we meet?");
    }
    [[nodiscard]] static std::unique_ptr<ShownView> show(int width = 400, int height = 550) {
        return std::make_unique<ShownView>(QStringLiteral("ChatView"), QVariantMap{}, width,
                                           height);
    }
    [[nodiscard]] static ChatViewState& state(const ShownView& view) {
        return *view.root().property("viewState").value<ChatViewState*>();
    }
    static void ask(ShownView& view, const QString& question) {
        // Keys go to the active window, and a test may show more than one.
        view.window().requestActivate();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&view.window()));
        view.type("chatInput", question);
        view.key(Qt::Key_Return);
    }
    /// Lets every answer arrive; the view then holds `count` entries and no request is open.
    void waitFor(ShownView& view, std::size_t count) {
        settle();
        view.settle();
        EXPECT_EQ(state(view).entries().size(), count);
        EXPECT_FALSE(state(view).isLoading());
    }
    [[nodiscard]] static QStringList shownTexts(const ShownView& view) {
        QStringList texts;
        const ChatMessages& rows = *state(view).messages();
        for (int row = 0; row < rows.rowCount(); ++row) {
            const QModelIndex index = rows.index(row);
            const QVariant text = rows.data(index, ChatMessages::TextRole);
            texts << (text.isNull()
                          ? "A: " + rows.data(index, ChatMessages::ResponseRole).toString()
                          : "Q: " + text.toString());
        }
        return texts;
    }
};

TEST_F(ChatViewTest, TheFirstQuestionStartsAChatAndLaterOnesAreOnlySent) {
    network().answer(kStart, kStarted);
    network().answer(kSend, {reply("On Friday."), reply("In the lab.")});
    auto view = show();

    ask(*view, "When?");
    EXPECT_TRUE(view->shows("chatProgress"));
    EXPECT_FALSE(view->shows("chatSendButton"));
    waitFor(*view, 2);
    ask(*view, "Where?");
    waitFor(*view, 4);

    EXPECT_EQ(shownTexts(*view),
              (QStringList{"Q: When?", "A: On Friday.", "Q: Where?", "A: In the lab."}));
    EXPECT_EQ(view->text("chatInput"), "");
    EXPECT_TRUE(view->shows("chatSendButton"));
    EXPECT_EQ(bodiesSentTo(kStart),
              QList<QByteArray>{R"({"email":"me@example.com","plugin_source":"plugin_apple",)"
                                R"("plugin_version":"v1.0.0","email_content":"Can we meet?"})"});
    EXPECT_EQ(bodiesSentTo(kSend), (QList<QByteArray>{sendBody("When?"), sendBody("Where?")}));
    EXPECT_EQ(StartChatManager::shared().assistantId, QString("asst_1"));
    EXPECT_EQ(StartChatManager::shared().threadId, QString("th_1"));
    EXPECT_EQ(state(*view).assistantId(), QString("asst_1"));

    // A new view of the same message shows the conversation and opens a chat of its own.
    const QStringList shown = shownTexts(*view);
    view.reset();
    auto reopened = show();
    EXPECT_EQ(shownTexts(*reopened), shown);
    EXPECT_EQ(state(*reopened).assistantId(), std::nullopt);
    EXPECT_TRUE(reopened->get("chatList").property("atYEnd").toBool());
}

TEST_F(ChatViewTest, AFailedStartShowsTheErrorInEveryViewUntilTheNextAnswer) {
    network().answer(kStart, {ScriptedAnswer::http(503, "{}"), kStarted});
    network().answer(kSend, reply("Yes."));
    auto view = show();
    ask(*view, "First?");
    waitFor(*view, 1);

    EXPECT_TRUE(log().contains("Error from start chat is: serverError(503)"));
    EXPECT_EQ(view->text("chatError"), ChatViewState::errorText);
    auto other = show(); // same message, so the same conversation and the shared error
    EXPECT_EQ(other->text("chatError"), ChatViewState::errorText);

    ask(*view, "Second?");
    waitFor(*view, 3);
    EXPECT_EQ(shownTexts(*view), (QStringList{"Q: First?", "Q: Second?", "A: Yes."}));
    EXPECT_EQ(bodiesSentTo(kStart).size(), 2);
    EXPECT_EQ(bodiesSentTo(kSend), QList<QByteArray>{sendBody("Second?")});
    EXPECT_EQ(ChatErrorText::shared().text(), std::nullopt);
    other->settle();
    EXPECT_FALSE(view->shows("chatError"));
    EXPECT_FALSE(other->shows("chatError"));
}

TEST_F(ChatViewTest, AFailedSendKeepsTheChatOpenAndShowsTheError) {
    network().answer(kStart, kStarted);
    network().answer(kSend, {ScriptedAnswer::http(200, R"({"response":5})"), reply("Later.")});
    auto view = show();
    ask(*view, "Now?");
    waitFor(*view, 1);
    EXPECT_TRUE(log().contains("Error from chat message is: invalidData"));
    EXPECT_EQ(view->text("chatError"), ChatViewState::errorText);

    ask(*view, "Now?");
    waitFor(*view, 3);
    EXPECT_EQ(bodiesSentTo(kStart).size(), 1);
    EXPECT_EQ(bodiesSentTo(kSend).size(), 2);
}

TEST_F(ChatViewTest, OnlyEmptyTextIsIgnored) {
    network().answer(kStart, kStarted);
    network().answer(kSend, reply("Spaces."));
    auto view = show();
    view->click("chatSendButton");
    view->key(Qt::Key_Return);
    EXPECT_TRUE(state(*view).entries().empty());
    EXPECT_FALSE(view->shows("chatProgress"));

    view->type("chatInput", "   ");
    view->click("chatSendButton");
    waitFor(*view, 2);
    EXPECT_EQ(shownTexts(*view), (QStringList{"Q:    ", "A: Spaces."}));
    EXPECT_EQ(bodiesSentTo(kStart).size(), 1);
}

TEST_F(ChatViewTest, WithoutABodyTheChatIsAboutTheComposeSessionAndAnUnansweredStartSpins) {
    ReplyEmailManager::shared().content.reset();
    network().answer(kStart, ScriptedAnswer::silence());
    auto view = show();
    ask(*view, "Hello?");
    settle();
    EXPECT_TRUE(bodiesSentTo(kStart).at(0).contains(R"("email_content":"Compose session")"));
    EXPECT_TRUE(view->shows("chatProgress"));

    ask(*view, "Still there?"); // typing goes on; each question opens a chat of its own
    settle();
    EXPECT_EQ(bodiesSentTo(kStart).size(), 2);
    EXPECT_EQ(shownTexts(*view), (QStringList{"Q: Hello?", "Q: Still there?"}));
    EXPECT_TRUE(view->shows("chatProgress"));
}

TEST_F(ChatViewTest, AnAnswerForAViewThatIsGoneIsDropped) {
    network().answer(kStart, ScriptedAnswer::http(503, "{}"));
    auto view = show();
    ask(*view, "Bye?");
    view.reset();
    settle();
    EXPECT_TRUE(log().contains("Server error: 503"));
    EXPECT_TRUE(log().linesStartingWith("Error from start chat is:").isEmpty());
    EXPECT_EQ(ChatErrorText::shared().text(), std::nullopt);
}

TEST_F(ChatViewTest, AHugeRightToLeftAnswerWithEmojiIsShownStoredAndScrolledTo) {
    const QString rtl = QString::fromUtf8("\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d \xf0\x9f\x91\x8b ");
    QString huge;
    while (huge.size() < 1'000'000) {
        huge += rtl + "emoji \xF0\x9F\x98\x80 ";
    }
    network().answer(kStart, kStarted);
    network().answer(kSend, reply(huge));
    auto view = show();
    ask(*view, rtl);
    waitFor(*view, 2);
    EXPECT_EQ(state(*view).entries().back().response, huge);
    EXPECT_TRUE(view->get("chatList").property("atYEnd").toBool());
    view.reset();
    EXPECT_EQ(state(*show()).entries().size(), 2U);
}

TEST_F(ChatViewTest, Screenshots) {
    network().answer(kStart, kStarted);
    network().answer(kSend,
                     {reply("We could meet on Friday at ten, in the small meeting room on the "
                            "second floor. I will bring the slides."),
                      ScriptedAnswer::http(500, "{}")});
    {
        auto view = show();
        ask(*view, "When can we meet?");
        waitFor(*view, 2);
        ask(*view, "Can you send the agenda before then?");
        waitFor(*view, 3);
    }
    forEachAppearance([&](int width, const QString& suffix) {
        auto view = show(width);
        // In dark appearance the chat is clear, so the panel's own colour shows through.
        view->window().setColor(QGuiApplication::palette().color(QPalette::Window));
        ASSERT_TRUE(view->shows("chatError"));
        view->screenshot("chat" + suffix);
    });
}

} // namespace
