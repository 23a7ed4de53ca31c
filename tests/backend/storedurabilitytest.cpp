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

// Values of a few kilobytes span several pages, so that a torn write would show.
std::string bulk(long n) {
    return std::string(1000 + static_cast<std::size_t>(n % 7) * 700,
                       static_cast<char>('a' + n % 26)) +
           std::to_string(n);
}

// Write n, one transaction, is a chat turn when n is even, on a chat of its own written just
// before, else a training pair; its key finds it and its value reads back exactly.
std::string keyOf(long n) {
    return (n % 2 == 0 ? "thread" : "question") + std::to_string(n);
}

void write(Store& store, long n) {
    if (n % 2 == 0) {
        store.addChat(keyOf(n), "asst", "ann@example.org", "mail");
        return store.addChatTurn(keyOf(n), "question", bulk(n));
    }
    store.addTrainingPair({"ann@example.org", keyOf(n), bulk(n), n});
}

// The stored value of write n, or nothing.
std::optional<std::string> readBack(sqlite::Database& db, long n) {
    auto select = db.prepare(n % 2 == 0 ? "SELECT answer FROM chat_turns WHERE thread_id = ?"
                                        : "SELECT answer FROM training_pairs WHERE question = ?");
    select.bind(1, keyOf(n));
    return select.step() ? std::optional(select.text(0)) : std::nullopt;
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
            ASSERT_EQ(readBack(db, n), bulk(n)) << "write " << n;
        }
        const long next = std::max(first, run.lastSaved() + 1);
        const auto unacknowledged = readBack(db, next);
        if (unacknowledged) {
            ASSERT_EQ(*unacknowledged, bulk(next)) << "write " << next;
        }
    }
};

TEST_F(StoreDurabilityTest, AcknowledgedWritesSurviveAKillAtAnyMoment) {
    expectKillsLoseNothing([this](long first) { return writeFrom(file, first); },
                           [this](long first, const WriterRun& run) { expectKept(first, run); }, 1);
}

TEST_F(StoreDurabilityTest, FullDiskFailsInOneLineAndKeepsWhatWasAcknowledged) {
    WriterRun run;
    EXPECT_EQ(expectFullDiskFailure([this](long first) { return writeFrom(file, first); }, run),
              "store write failed: disk I/O error (File too large)\n");
    expectKept(0, run);
    // With room again, the same file takes new writes.
    Store store(file);
    EXPECT_NO_THROW(write(store, run.lastSaved() + 2));
}

} // namespace
