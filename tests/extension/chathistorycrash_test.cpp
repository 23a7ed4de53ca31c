#include "chathistory.h"
#include "sqliteuserdefaults.h"
#include "testplatform.h"

#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

/// Runs the writer, kills it `lifetime` after it is ready (a process that loads the whole
/// extension takes longer to start than to write), and gives the highest entry it reported
/// saved.
std::optional<long> runAndKill(const std::string& file, std::chrono::milliseconds lifetime) {
    int out[2];
    if (pipe(out) != 0) {
        return std::nullopt;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::string program = CHAT_HISTORY_WRITER;
    char* argv[] = {program.data(), const_cast<char*>(file.c_str()), nullptr};
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return std::nullopt;
    }
    std::string output;
    auto killAt = Clock::now() + std::chrono::seconds(10); // to start at all
    bool started = false;
    char buffer[4096];
    for (auto now = Clock::now(); now < killAt; now = Clock::now()) {
        pollfd ready{out[0], POLLIN, 0};
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(killAt - now);
        if (poll(&ready, 1, static_cast<int>(wait.count()) + 1) > 0) {
            const ssize_t got = read(out[0], buffer, sizeof buffer);
            if (got <= 0) {
                break;
            }
            output.append(buffer, static_cast<std::size_t>(got));
            if (!started && output.find("ready\n") != std::string::npos) {
                started = true;
                killAt = Clock::now() + lifetime;
            }
        }
    }
    kill(child, SIGKILL);
    // What the child wrote before it died still counts: those appends had returned.
    for (ssize_t got = 0; (got = read(out[0], buffer, sizeof buffer)) > 0;) {
        output.append(buffer, static_cast<std::size_t>(got));
    }
    close(out[0]);
    waitpid(child, nullptr, 0);
    long highest = -1;
    for (std::size_t at = output.find("saved "); at != std::string::npos;
         at = output.find("saved ", at + 1)) {
        const std::size_t end = output.find('\n', at);
        if (end != std::string::npos) {
            highest = std::stol(output.substr(at + 6, end - at - 6));
        }
    }
    return highest;
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
