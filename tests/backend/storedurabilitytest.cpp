// The backend's SQLite file under a writer that is killed at random moments or runs out of
// room: what the store acknowledged is there after a reopen, and nothing is half there.
#include "crashwriter.h"
#include "store.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace backend;
namespace fs = std::filesystem;

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
    void expectKept(long first, const WriterRun& run) {
        sqlite::Database db(file, {sqlite::OpenMode::ReadOnly});
        auto check = db.prepare("PRAGMA integrity_check");
        ASSERT_TRUE(check.step());
        ASSERT_EQ(check.text(0), "ok") << "after write " << run.lastSaved();
        for (long n = first; n <= run.lastSaved(); ++n) {
            ASSERT_EQ(readBack(db, n), written(n).value) << "write " << n;
        }
        const long next = std::max(first, run.lastSaved() + 1);
        const auto unacknowledged = readBack(db, next);
        if (unacknowledged) {
            ASSERT_EQ(*unacknowledged, written(next).value) << "write " << next;
        }
    }
};

TEST_F(StoreDurabilityTest, AcknowledgedWritesSurviveAKillAtAnyMoment) {
    // Rounds start at an account, which the writes after it refer to.
    expectKillsLoseNothing([this](long first) { return writeFrom(file, first); },
                           [this](long first, const WriterRun& run) { expectKept(first, run); }, 4);
}

TEST_F(StoreDurabilityTest, FullDiskFailsInOneLineAndKeepsWhatWasAcknowledged) {
    WriterRun run;
    EXPECT_EQ(expectFullDiskFailure([this](long first) { return writeFrom(file, first); }, run),
              "store write failed: disk I/O error (File too large)\n");
    expectKept(0, run);
    // With room again, the same file takes new writes.
    Store store(file);
    EXPECT_NO_THROW(write(store, run.lastSaved() + 4));
}

} // namespace
