#include "chathistory.h"
#include "sqlitedatabase.h"
#include "sqliteuserdefaults.h"
#include "testplatform.h"

namespace {

const QUuid kZero;
const QUuid kId(QStringLiteral("6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b"));

Conversation decoded(const QByteArray& bytes) {
    auto result = decodeConversation(bytes);
    EXPECT_TRUE(std::holds_alternative<Conversation>(result))
        << bytes.left(200).toStdString() << ": " << std::get<QString>(result).toStdString();
    return std::holds_alternative<Conversation>(result) ? std::get<Conversation>(result)
                                                        : Conversation{};
}

class ChatHistoryTest : public testing::Test {
protected:
    /// What a fresh process would read back from the file.
    [[nodiscard]] std::optional<QByteArray> reopened(const QString& key) const {
        return SqliteUserDefaults(platform_.defaultsFile()).data(key);
    }
    bool store(const QString& key, const QByteArray& bytes) const {
        return Platform::current().userDefaults().set(key, bytes);
    }

    TestPlatform platform_;
};

TEST(ChatMessage, EntriesAreWrittenInDeclaredOrderAndReadBackWhole) {
    const struct {
        Message message;
        QByteArray json;
    } cases[] = {
        {{kZero, "When?", std::nullopt, true},
         R"({"id":"00000000-0000-0000-0000-000000000000","text":"When?","isSentByCurrentUser":true})"},
        {{kId, std::nullopt,
          QString::fromUtf8("\"Zo\xc3\xab\"\\\n\t\x01 \xd7\xa9 \xf0\x9f\x98\x80"), false},
         "{\"id\":\"6F1C2A3B-4D5E-4F60-8A7B-9C0D1E2F3A4B\",\"response\":"
         "\"\\\"Zo\xc3\xab\\\"\\\\\\n\\t\\u0001 \xd7\xa9 \xf0\x9f\x98\x80\","
         "\"isSentByCurrentUser\":false}"},
        {{kId, QString(QChar(0xD800)), QString(), true},
         "{\"id\":\"6F1C2A3B-4D5E-4F60-8A7B-9C0D1E2F3A4B\",\"text\":\"?\","
         "\"response\":\"\",\"isSentByCurrentUser\":true}"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(encodeConversation({c.message}).toStdString(),
                  ("[" + c.json + "]").toStdString());
        const Conversation back = decoded(encodeConversation({c.message, c.message}));
        ASSERT_EQ(back.size(), 2U);
        EXPECT_EQ(back[1].id, c.message.id);
        EXPECT_EQ(back[1].isSentByCurrentUser, c.message.isSentByCurrentUser);
        EXPECT_EQ(back[1].response, c.message.response);
        EXPECT_EQ(back[1].text.has_value(), c.message.text.has_value());
    }
    EXPECT_EQ(encodeConversation({}), "[]");
    EXPECT_EQ(decoded(R"([{"id":"6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b","text":null,)"
                      R"("isSentByCurrentUser":false,"extra":1}])")
                  .at(0)
                  .id,
              kId);
}

TEST(ChatMessage, MalformedStoredValuesSayWhy) {
    const auto entry = [](const char* id, const char* rest) {
        return QByteArray(R"([{"id":")") + id + "\"" + rest + "}]";
    };
    const char* const id = "6F1C2A3B-4D5E-4F60-8A7B-9C0D1E2F3A4B";
    for (const QByteArray& bad : {
             QByteArray("not json"),
             QByteArray(R"({"id":"x"})"),
             entry(id, ""),
             entry("{6F1C2A3B-4D5E-4F60-8A7B-9C0D1E2F3A4}", R"(,"isSentByCurrentUser":true)"),
             entry("6F1C2A3B-4D5E-4F60-8A7B-9C0D1E2F3A4G", R"(,"isSentByCurrentUser":true)"),
             entry(id, R"(,"text":5,"isSentByCurrentUser":true)"),
             entry(id, R"(,"isSentByCurrentUser":1)"),
             QByteArray("[1]"),
             QByteArray("[] trailing"),
             QByteArray("[\"\xff\"]"),
             QByteArray(),
         }) {
        const auto result = decodeConversation(bad);
        ASSERT_TRUE(std::holds_alternative<QString>(result)) << bad.toStdString();
        EXPECT_FALSE(std::get<QString>(result).isEmpty());
    }
}

TEST_F(ChatHistoryTest, KeysFollowTheMessageIdentifier) {
    EXPECT_EQ(ChatHistory::keyFor(QStringLiteral("<m@x>")), "reply <m@x>");
    EXPECT_EQ(ChatHistory::keyFor(std::nullopt), "reply compose");
}

TEST_F(ChatHistoryTest, EveryAppendIsStoredAndSurvivesAReopen) {
    ChatHistory history(ChatHistory::keyFor(QStringLiteral("<m@x>")));
    const QString longText(200000, QLatin1Char('x'));
    for (int i = 0; i < 300; ++i) {
        ASSERT_TRUE(history.append(i % 2 == 0 ? Message::question(QString::number(i))
                                              : Message::answer(QString::number(i))));
    }
    ASSERT_TRUE(history.append(Message::answer(longText)));

    const Conversation stored = decoded(reopened(history.key()).value_or(""));
    ASSERT_EQ(stored.size(), 301U);
    EXPECT_EQ(stored, history.messages());
    EXPECT_EQ(stored[7].response, QString("7"));
    EXPECT_EQ(stored[300].response, longText);
    EXPECT_EQ(reopened(history.key()), encodeConversation(history.messages()));

    ChatHistory loaded(history.key());
    EXPECT_TRUE(loaded.loadMessages());
    EXPECT_EQ(loaded.messages().size(), 301U);
    EXPECT_TRUE(platform_.log().lines().isEmpty());
}

TEST_F(ChatHistoryTest, AppendingToAConversationStoredInAnotherFormKeepsItWhole) {
    for (const QByteArray& stored :
         {QByteArray(" [ ] \n"),
          QByteArray("[\n  {\"isSentByCurrentUser\": true, \"text\": \"earlier\", "
                     "\"id\": \"6F1C2A3B-4D5E-4F60-8A7B-9C0D1E2F3A4B\"}\n]\n")}) {
        ASSERT_TRUE(store("reply <m@x>", stored));
        ChatHistory history(QStringLiteral("reply <m@x>"));
        ASSERT_TRUE(history.loadMessages());
        ASSERT_TRUE(history.append(Message::answer("added")));
        const Conversation back = decoded(reopened(history.key()).value_or(""));
        ASSERT_EQ(back.size(), history.messages().size()) << stored.toStdString();
        EXPECT_EQ(back.back().response, QString("added"));
    }
}

TEST_F(ChatHistoryTest, AnEmptyConversationIsStoredAsAnEmptyArrayAndReadsSilently) {
    ChatHistory history(QStringLiteral("reply <none@x>"));
    EXPECT_FALSE(history.loadMessages());
    ASSERT_TRUE(history.saveMessages());
    EXPECT_EQ(reopened(history.key()), QByteArray("[]"));
    ChatHistory again(history.key());
    EXPECT_TRUE(again.loadMessages());
    EXPECT_TRUE(again.messages().empty());
    EXPECT_TRUE(platform_.log().lines().isEmpty());
}

TEST_F(ChatHistoryTest, AnUnreadableStoredValueIsLoggedAndTheListKept) {
    ChatHistory history(QStringLiteral("reply <m@x>"));
    ASSERT_TRUE(history.append(Message::question("kept")));
    for (const QByteArray& bad : {QByteArray("{broken"), QByteArray("\"a string\""),
                                  QByteArray(R"([{"id":"A","text":"no flag"}])")}) {
        platform_.log().clear();
        ASSERT_TRUE(store(history.key(), bad));
        EXPECT_FALSE(history.loadMessages());
        ASSERT_EQ(history.messages().size(), 1U);
        EXPECT_EQ(history.messages()[0].text, QString("kept"));
        const QStringList lines = platform_.log().lines();
        ASSERT_EQ(lines.size(), 1);
        EXPECT_TRUE(lines[0].startsWith("Failed to load messages: ")) << lines[0].toStdString();
    }
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
    const Conversation stored = decoded(reopened(history.key()).value_or(""));
    ASSERT_EQ(stored.size(), 1U);
    EXPECT_EQ(stored[0].text, QString("stored"));
    EXPECT_EQ(platform_.log().linesStartingWith("UserDefaults: could not write").size(), 1);

    ASSERT_TRUE(history.append(Message::question("next")));
    EXPECT_EQ(decoded(reopened(history.key()).value_or("")).size(), 3U)
        << "the next write stores the whole list";
}

} // namespace
