// The backend's SQLite file under a writer that is killed at random moments or runs out of
// room: what the store acknowledged is there after a reopen, and nothing is half there.
#include "crashwriter.h"
#include "store.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

using namespace backend;
namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;

namespace {

// Write n is one of four kinds, each one transaction; its row is found by `key` and reads back
// `value` exactly.
enum class Kind { Account, Token, ChatTurn, TrainingPair };

struct Written {
    Kind kind;
    std::string key;
    std::string value;
};

std::string email(long n) {
    return "user" + std::to_string(n) + "@example.org";
}

// Values of a few kilobytes span several pages, so that a torn write would show.
std::string bulk(long n) {
    return std::string(1000 + static_cast<std::size_t>(n % 7) * 700,
                       static_cast<char>('a' + n % 26)) +
           std::to_string(n);
}

Written written(long n) {
    switch (n % 4) {
    case 0:
        return {Kind::Account, email(n), "User " + std::to_string(n)};
    case 1:
        return {Kind::Token, "token" + std::to_string(n), email(n - 1)};
    case 2:
        return {Kind::ChatTurn, "thread" + std::to_string(n), bulk(n)};
    default:
        return {Kind::TrainingPair, "question" + std::to_string(n), bulk(n)};
    }
}

void write(Store& store, long n) {
    const Written w = written(n);
    switch (w.kind) {
    case Kind::Account:
        return store.addAccount({w.key, w.value, "scrypt$1$1$1$00$00", 0, 0});
    case Kind::Token: {
        const std::string session = "session" + std::to_string(n);
        store.addSession(session, 2'000'000'000);
        (void)store.signInSession(session, w.value, 0);
        (void)store.redeemSession(session, w.key, 0);
        return;
    }
    case Kind::ChatTurn:
        store.addChat(w.key, "asst", email(n - 2), "mail");
        return store.addChatTurn(w.key, "question", w.value);
    case Kind::TrainingPair:
        return store.addTrainingPair({email(n - 3), w.key, w.value, n});
    }
}

// The stored value of write n, or nothing.
std::optional<std::string> readBack(sqlite::Database& db, long n) {
    static const char* const queries[] = {
        "SELECT name FROM accounts WHERE email = ?",
        "SELECT email FROM tokens WHERE token_hash = ?",
        "SELECT answer FROM chat_turns WHERE thread_id = ?",
        "SELECT answer FROM training_pairs WHERE question = ?",
    };
    const Written w = written(n);
    auto select = db.prepare(queries[static_cast<int>(w.kind)]);
    select.bind(1, w.key);
    if (!select.step()) {
        return std::nullopt;
    }
    return select.text(0);
}

// Writes from `first` on until killed or a write fails; acknowledges each write that returned.
int writeFrom(const fs::path& file, long first) {
    try {
        Store store(file);
        acknowledge("ready");
        for (long n = first;; ++n) {
            write(store, n);
            acknowledge("saved " + std::to_string(n));
        }
    } catch (const std::exception& e) {
        acknowledge(std::string("store write failed: ") + e.what());
        return 1;
    }
}

class StoreDurabilityTest : public testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() / ("qv-durability-" + std::to_string(::getpid()));
    fs::path file = dir / "backend.sqlite";

    StoreDurabilityTest() {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~StoreDurabilityTest() override { fs::remove_all(dir); }

    // Every write from `first` to the last acknowledged one reads back whole; the one after it
    // is whole or absent; the file passes SQLite's integrity check.
    void expectKept(long first, const WriterRun& run, const std::string& round) {
        sqlite::Database db(file, {sqlite::OpenMode::ReadOnly});
        auto check = db.prepare("PRAGMA integrity_check");
        ASSERT_TRUE(check.step());
        ASSERT_EQ(check.text(0), "ok") << round;
        for (long n = first; n <= run.lastSaved(); ++n) {
            ASSERT_EQ(readBack(db, n), written(n).value) << round << ", write " << n;
        }
        const long next = std::max(first, run.lastSaved() + 1);
        const auto unacknowledged = readBack(db, next);
        if (unacknowledged) {
            ASSERT_EQ(*unacknowledged, written(next).value) << round << ", write " << next;
        }
    }
};

TEST_F(StoreDurabilityTest, AcknowledgedWritesSurviveAKillAtAnyMoment) {
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> lifetime(0, 60);
    const auto deadline = Steady::now() + std::chrono::seconds(40);
    long next = 0;
    long acknowledged = 0;
    int rounds = 0;
    for (; rounds < 100 && Steady::now() < deadline; ++rounds) {
        // Each round writes its own rows; the file grows from round to round.
        const long first = next;
        const WriterRun run = runWriter(
            [this, first] { return writeFrom(file, first); },
            {std::chrono::milliseconds(lifetime(random)), std::chrono::seconds(30), std::nullopt});
        ASSERT_TRUE(run.started) << run.output;
        ASSERT_FALSE(run.exitStatus.has_value()) << run.output;
        expectKept(first, run, "round " + std::to_string(rounds));
        acknowledged += std::max(run.lastSaved() + 1 - first, 0L);
        // Rows of a write that was not acknowledged may be there: start past them, at an
        // account, which the writes after it refer to.
        next = (std::max(first, run.lastSaved() + 1) / 4 + 2) * 4;
    }
    EXPECT_EQ(rounds, 100) << "too few rounds within the time limit";
    EXPECT_GT(acknowledged, 100) << "the writer hardly ever got to write";
}

TEST_F(StoreDurabilityTest, FullDiskFailsInOneLineAndKeepsWhatWasAcknowledged) {
    const WriterRun run = runWriter([this] { return writeFrom(file, 0); },
                                    {std::nullopt, std::chrono::seconds(30), 1024 * 1024});
    ASSERT_EQ(run.exitStatus, 1) << run.output;
    EXPECT_GT(run.lastSaved(), 20);
    const std::string failed = run.output.substr(run.output.rfind("saved "));
    EXPECT_EQ(failed.substr(failed.find('\n') + 1),
              "store write failed: disk I/O error (File too large)\n");
    expectKept(0, run, "full disk");
    // With room again, the same file takes new writes.
    Store store(file);
    EXPECT_NO_THROW(write(store, run.lastSaved() + 4));
}

} // namespace
