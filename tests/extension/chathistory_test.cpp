// The chat history: its stored form, appends that survive a reopen, and failures that keep
// what was stored. Kills mid-write are the defaults file's own tests.
#include "chat/chathistory.h"
#include "sqlitedatabase.h"
#include "sqliteuserdefaults.h"
#include "testplatform.h"

namespace {

const QUuid kId(QStringLiteral("6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b"));

Conversation decoded(const std::optional<QByteArray>& bytes) {
    auto result = decodeConversation(bytes.value_or(""));
    EXPECT_TRUE(std::holds_alternative<Conversation>(result))
        << bytes.value_or("(absent)").left(200).toStdString();
    return std::holds_alternative<Conversation>(result) ? std::get<Conversation>(result)
                                                        : Conversation{};
}

TEST(ChatMessage, EntriesAreWrittenInDeclaredOrderAndReadBackWhole) {
    const struct {
        Message message;
        QByteArray json;
    } cases[] = {
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
        const QByteArray stored = "[" + c.json + "]";
        EXPECT_EQ(encodeConversation({c.message}), stored);
        EXPECT_EQ(encodeConversation(decoded(stored)), stored) << "read back whole";
    }
    const Conversation lowerCase =
        decoded(R"([{"id":"6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b","isSentByCurrentUser":true},)"
                R"({"id":"00000000-0000-0000-0000-000000000000","isSentByCurrentUser":true}])");
    ASSERT_EQ(lowerCase.size(), 2U);
    EXPECT_EQ(lowerCase[0].id, kId);
    EXPECT_TRUE(lowerCase[1].id.isNull());
}

class ChatHistoryTest : public testing::Test {
protected:
    /// What a fresh process would read back from the file.
    [[nodiscard]] std::optional<QByteArray> reopened(const QString& key) const {
        return SqliteUserDefaults(platform_.defaultsFile()).data(key);
    }

    TestPlatform platform_;
    ChatHistory history_{Platform::current().userDefaults(),
                         ChatHistory::keyFor(QStringLiteral("<m@x>"))};
};

TEST_F(ChatHistoryTest, EveryAppendIsStoredAndSurvivesAReopenAndNoOlderCopyOverwritesIt) {
    EXPECT_EQ(history_.key(), "reply <m@x>");
    EXPECT_FALSE(history_.loadMessages());
    ASSERT_TRUE(history_.saveMessages());
    EXPECT_EQ(reopened(history_.key()), QByteArray("[]"));
    for (int i = 0; i < 300; ++i) {
        ASSERT_TRUE(history_.append(i % 2 == 0
                                        ? Message::question(QString::number(i))
                                        : Message::answer(QString(i == 299 ? 200000 : i, 'x'))));
    }
    EXPECT_EQ(reopened(history_.key()), encodeConversation(history_.messages()));
    EXPECT_TRUE(platform_.log().lines().isEmpty());

    ChatHistory older(Platform::current().userDefaults(), history_.key());
    ASSERT_TRUE(older.loadMessages());
    ASSERT_TRUE(history_.append(Message::question("newer")));
    EXPECT_TRUE(older.changedElsewhere());
    EXPECT_FALSE(older.saveMessages());
    EXPECT_EQ(reopened(history_.key()), encodeConversation(history_.messages()));
}

// A value the history cannot read is kept under a key of its own before it is written over.
TEST_F(ChatHistoryTest, AnUnreadableStoredValueIsLoggedWithTheReasonAndSetAside) {
    ASSERT_TRUE(history_.append(Message::question("kept")));
    const struct {
        QByteArray bad;
        QString why;
    } rows[] = {
        {"{broken", "The JSON document has an improper structure: missing or superfluous commas, "
                    "braces, missing keys, etc."},
        {R"([{"id":"6F1C2A3B-4D5E-4F60-8A7B-9C0D1E2F3A4B"}])",
         R"(entry 0: "isSentByCurrentUser" is missing or not a flag)"},
        {R"([{"id":"6F1C2A3B-4D5E-4F60-8A7B-9C0D1E2F3A4G","text":"x",)"
         R"("isSentByCurrentUser":true}])",
         R"(entry 0: "id" is missing or not a UUID)"},
        {R"([{"id":"6F1C2A3B+4D5E-4F60-8A7B-9C0D1E2F3A4B","text":"x",)"
         R"("isSentByCurrentUser":true}])",
         R"(entry 0: "id" is missing or not a UUID)"},
        {R"([{"id":"6F1C2A3B-4D5E-4F60-8A7B-9C0D1E2F3A4B","text":5,)"
         R"("isSentByCurrentUser":true}])",
         R"(entry 0: "text" is not a string)"},
        {QByteArray(), "Empty: no JSON found"},
    };
    for (const auto& [bad, why] : rows) {
        SCOPED_TRACE(bad.toStdString());
        platform_.log().clear();
        UserDefaults& defaults = Platform::current().userDefaults();
        ASSERT_TRUE(defaults.set(history_.key(), bad));
        const std::size_t shown = history_.messages().size();
        EXPECT_FALSE(history_.loadMessages());
        EXPECT_EQ(history_.messages().size(), shown) << "the list on screen is kept";
        EXPECT_EQ(history_.messages()[0].text, QString("kept"));
        EXPECT_EQ(platform_.log().lines(), QStringList{"Failed to load messages: " + why});

        const QStringList before = defaults.keys();
        ASSERT_TRUE(history_.append(Message::answer("next")));
        QStringList aside = defaults.keys();
        aside.removeIf([&](const QString& key) { return before.contains(key); });
        ASSERT_EQ(aside.size(), 1);
        EXPECT_TRUE(aside[0].startsWith("reply <m@x> unreadable ")) << aside[0].toStdString();
        EXPECT_EQ(reopened(aside[0]), bad);
        EXPECT_EQ(decoded(reopened(history_.key())).size(), shown + 1);
    }
}

TEST_F(ChatHistoryTest, AFailedWriteKeepsTheEntryOnScreenAndTheStoredConversationWhole) {
    ASSERT_TRUE(history_.append(Message::question("stored")));
    {
        // Another writer holds the file, so the next write cannot be committed.
        sqlite::Database other(platform_.defaultsFile());
        other.exec("BEGIN IMMEDIATE");
        other.exec("UPDATE defaults SET value = 'half' WHERE key = 'reply <m@x>'");
        EXPECT_FALSE(history_.append(Message::answer("only in memory")));
    }
    EXPECT_EQ(history_.messages().size(), 2U);
    EXPECT_EQ(history_.messages()[1].response, QString("only in memory"));
    const Conversation stored = decoded(reopened(history_.key()));
    ASSERT_EQ(stored.size(), 1U);
    EXPECT_EQ(stored[0].text, QString("stored"));
    EXPECT_EQ(platform_.log().linesStartingWith("UserDefaults: could not write").size(), 1);

    ASSERT_TRUE(history_.append(Message::question("next")));
    EXPECT_EQ(decoded(reopened(history_.key())).size(), 3U)
        << "the next write stores the whole list";
}

} // namespace
