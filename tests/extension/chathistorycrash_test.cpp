#include "chathistory.h"
#include "crashwriter.h"
#include "sqliteuserdefaults.h"
#include "testplatform.h"

#include <random>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

/// Runs the writer program, kills it `lifetime` after it is ready (a process that loads the
/// whole extension takes longer to start than to write), and gives the highest entry it
/// reported saved.
std::optional<long> runAndKill(const std::string& file, std::chrono::milliseconds lifetime) {
    const WriterRun run = runWriter(
        [&file] {
            ::execl(CHAT_HISTORY_WRITER, CHAT_HISTORY_WRITER, file.c_str(), nullptr);
            return 127;
        },
        {lifetime, std::chrono::seconds(10), std::nullopt});
    if (!run.started) {
        return std::nullopt;
    }
    return run.lastSaved();
}

} // namespace

TEST(ChatHistoryCrash, EveryReturnedAppendSurvivesAKillAtAnyMoment) {
    TestPlatform platform;
    const std::string file = platform.defaultsFile().string();
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> lifetime(5, 60);
    const auto deadline = Clock::now() + std::chrono::seconds(90);
    long mustHave = -1;
    int rounds = 0;
    for (; rounds < 60 && Clock::now() < deadline; ++rounds) {
        const std::optional<long> saved =
            runAndKill(file, std::chrono::milliseconds(lifetime(random)));
        ASSERT_TRUE(saved.has_value()) << "the writer could not be started";
        mustHave = std::max(mustHave, *saved);

        SqliteUserDefaults reopened(platform.defaultsFile());
        const std::optional<QByteArray> stored = reopened.data(ChatHistory::keyFor(std::nullopt));
        if (mustHave < 0 && !stored) {
            continue; // killed before its first append returned
        }
        ASSERT_TRUE(stored.has_value()) << "round " << rounds;
        const auto decoded = decodeConversation(*stored);
        ASSERT_TRUE(std::holds_alternative<Conversation>(decoded))
            << "round " << rounds << ": " << std::get<QString>(decoded).toStdString();
        const Conversation& conversation = std::get<Conversation>(decoded);
        ASSERT_GT(static_cast<long>(conversation.size()), mustHave) << "round " << rounds;
        for (std::size_t i = 0; i < conversation.size(); ++i) {
            ASSERT_EQ(conversation[i].text, QString::number(i)) << "round " << rounds;
        }
        mustHave = static_cast<long>(conversation.size()) - 1;
    }
    EXPECT_GE(rounds, 50) << "too few rounds within the time limit";
    EXPECT_GT(mustHave, 10) << "the writer hardly ever got to write";
}
