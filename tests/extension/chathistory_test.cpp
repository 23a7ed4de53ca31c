#include "chathistory.h"
#include "sqlitedatabase.h"
#include "sqliteuserdefaults.h"
#include "testplatform.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

class ChatHistoryTest : public testing::Test {
protected:
    /// What a fresh process would read back from the file.
    [[nodiscard]] Conversation reopened(const QString& key) const {
        SqliteUserDefaults defaults(platform_.defaultsFile());
        const std::optional<QByteArray> stored = defaults.data(key);
        EXPECT_TRUE(stored.has_value()) << key.toStdString();
        auto decoded = decodeConversation(stored.value_or(QByteArray()));
        EXPECT_TRUE(std::holds_alternative<Conversation>(decoded));
        return std::holds_alternative<Conversation>(decoded) ? std::get<Conversation>(decoded)
                                                             : Conversation{};
    }
    bool store(const QString& key, const QByteArray& bytes) const {
        return Platform::current().userDefaults().set(key, bytes);
    }

    TestPlatform platform_;
};

TEST(ChatMessage, EachShapeOmitsTheFieldItLacksAndDecodesBackTheSame) {
    const Message question = Message::question(QStringLiteral("When?"));
    const Message answer = Message::answer(QStringLiteral("Tuesday."));
    const QByteArray bytes = encodeConversation({question, answer});
    EXPECT_FALSE(bytes.contains('\n')) << "compact";
    const QJsonArray stored = QJsonDocument::fromJson(bytes).array();
    ASSERT_EQ(stored.size(), 2);
    const QJsonObject first = stored[0].toObject();
    EXPECT_EQ(first.keys(), (QStringList{"id", "isSentByCurrentUser", "text"}));
    EXPECT_EQ(first["id"].toString(), question.id.toString(QUuid::WithoutBraces).toUpper());
    EXPECT_EQ(first["id"].toString().size(), 36);
    EXPECT_EQ(first["isSentByCurrentUser"], QJsonValue(true));
    EXPECT_EQ(stored[1].toObject().keys(), (QStringList{"id", "isSentByCurrentUser", "response"}));

    const auto decoded = decodeConversation(bytes);
    ASSERT_TRUE(std::holds_alternative<Conversation>(decoded));
    const Conversation& back = std::get<Conversation>(decoded);
    ASSERT_EQ(back.size(), 2U);
    EXPECT_EQ(back[0], question);
    EXPECT_EQ(back[0].text, QString("When?"));
    EXPECT_EQ(back[0].response, std::nullopt);
    EXPECT_TRUE(back[0].isSentByCurrentUser);
    EXPECT_EQ(back[1].text, std::nullopt);
    EXPECT_EQ(back[1].response, QString("Tuesday."));
}

TEST(ChatMessage, MalformedStoredValuesSayWhy) {
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    for (const QByteArray& bad :
         {QByteArray("not json"), QByteArray(R"({"id":"x"})"),
          QStringLiteral(R"([{"id":"%1"}])").arg(id).toUtf8(),
          QByteArray(R"([{"id":"nope","isSentByCurrentUser":true}])"),
          QStringLiteral(R"([{"id":"%1","text":5,"isSentByCurrentUser":true}])").arg(id).toUtf8(),
          QByteArray("[1]"), QByteArray()}) {
        const auto decoded = decodeConversation(bad);
        ASSERT_TRUE(std::holds_alternative<QString>(decoded)) << bad.toStdString();
        EXPECT_FALSE(std::get<QString>(decoded).isEmpty());
    }
}

TEST_F(ChatHistoryTest, KeysFollowTheMessageIdentifier) {
    EXPECT_EQ(ChatHistory::keyFor(QStringLiteral("<m@x>")), "reply <m@x>");
    EXPECT_EQ(ChatHistory::keyFor(std::nullopt), "reply compose");
}

TEST_F(ChatHistoryTest, EveryAppendIsStoredAndSurvivesAReopen) {
    ChatHistory history(ChatHistory::keyFor(QStringLiteral("<m@x>")));
    const QString unicode =
        QString::fromUtf8("Zoë says \xe2\x80\x94 \xf0\x9f\x98\x80 \"quoted\"\n\\ end");
    const QString longText(200000, QLatin1Char('x'));
    for (int i = 0; i < 300; ++i) {
        ASSERT_TRUE(history.append(i % 2 == 0 ? Message::question(QString::number(i))
                                              : Message::answer(QString::number(i))));
    }
    ASSERT_TRUE(history.append(Message::question(unicode)));
    ASSERT_TRUE(history.append(Message::answer(longText)));

    const Conversation stored = reopened(history.key());
    ASSERT_EQ(stored.size(), 302U);
    EXPECT_EQ(stored, history.messages());
    EXPECT_EQ(stored[300].text, unicode);
    EXPECT_EQ(stored[301].response, longText);
    EXPECT_EQ(stored[7].response, QString("7"));

    ChatHistory loaded(history.key());
    loaded.loadMessages();
    EXPECT_EQ(loaded.messages().size(), 302U);
    EXPECT_TRUE(platform_.log().lines().isEmpty());
}

TEST_F(ChatHistoryTest, AppendingToAConversationStoredInAnotherFormKeepsItWhole) {
    const Message earlier = Message::question("earlier");
    const QString id = earlier.id.toString(QUuid::WithoutBraces).toUpper();
    for (const QString& stored :
         {QStringLiteral(" [ ] \n"),
          QStringLiteral(
              "[\n  {\"isSentByCurrentUser\": true, \"text\": \"earlier\", \"id\": \"%1\"}\n]\n")
              .arg(id)}) {
        ASSERT_TRUE(store("reply <m@x>", stored.toUtf8()));
        ChatHistory history(QStringLiteral("reply <m@x>"));
        history.loadMessages();
        ASSERT_TRUE(history.append(Message::answer("added")));
        const Conversation back = reopened(history.key());
        ASSERT_EQ(back.size(), history.messages().size()) << stored.toStdString();
        EXPECT_EQ(back.back().response, QString("added"));
    }
}

TEST_F(ChatHistoryTest, NothingStoredLeavesTheListEmptyAndSilent) {
    ChatHistory history(QStringLiteral("reply <none@x>"));
    history.loadMessages();
    EXPECT_TRUE(history.messages().empty());
    EXPECT_TRUE(platform_.log().lines().isEmpty());
}

TEST_F(ChatHistoryTest, AnUnreadableStoredValueIsLoggedAndTheListKept) {
    ChatHistory history(QStringLiteral("reply <m@x>"));
    history.loadMessages();
    ASSERT_TRUE(history.append(Message::question("kept")));
    for (const QByteArray& bad :
         {QByteArray("{broken"), QByteArray(R"([{"id":"A","text":"no flag"}])")}) {
        platform_.log().clear();
        ASSERT_TRUE(store(history.key(), bad));
        history.loadMessages();
        ASSERT_EQ(history.messages().size(), 1U);
        EXPECT_EQ(history.messages()[0].text, QString("kept"));
        const QStringList lines = platform_.log().lines();
        ASSERT_EQ(lines.size(), 1);
        EXPECT_TRUE(lines[0].startsWith("Failed to load messages: ")) << lines[0].toStdString();
    }
    ASSERT_TRUE(store(history.key(), "\"a string\""));
    history.loadMessages();
    EXPECT_EQ(history.messages().size(), 1U);
}

TEST_F(ChatHistoryTest, AFailedWriteKeepsTheEntryOnScreenAndTheStoredConversationWhole) {
    ChatHistory history(QStringLiteral("reply <m@x>"));
    ASSERT_TRUE(history.append(Message::question("stored")));
    {
        // Another writer holds the file, so the next write cannot be committed.
        sqlite::Database other(platform_.defaultsFile());
        other.exec("BEGIN IMMEDIATE");
        other.exec("UPDATE defaults SET value = 'half' WHERE key = 'reply <m@x>'");
        EXPECT_FALSE(history.append(Message::answer("only in memory")));
    }
    EXPECT_EQ(history.messages().size(), 2U);
    EXPECT_EQ(history.messages()[1].response, QString("only in memory"));
    const Conversation stored = reopened(history.key());
    ASSERT_EQ(stored.size(), 1U);
    EXPECT_EQ(stored[0].text, QString("stored"));
    EXPECT_EQ(platform_.log().linesStartingWith("UserDefaults: could not write").size(), 1);

    ASSERT_TRUE(history.append(Message::question("next")));
    EXPECT_EQ(reopened(history.key()).size(), 3U) << "the next write stores the whole list";
}

} // namespace
