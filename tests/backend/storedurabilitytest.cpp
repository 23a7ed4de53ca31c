// The backend's store under a writer that is killed at random moments, or whose SQLite file
// runs out of room: what the store acknowledged is there after a reopen, and nothing is half
// there.
#include "bothstores.h"
#include "crashwriter.h"
#include "postgresdatabase.h"

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

// The stored value of write n, or nothing, through either store's connection.
template <class Database> std::optional<std::string> readBack(Database& db, long n) {
    auto select = db.prepare(n % 2 == 0 ? "SELECT answer FROM chat_turns WHERE thread_id = $1"
                                        : "SELECT answer FROM training_pairs WHERE question = $1");
    select.bind(1, keyOf(n));
    return select.step() ? std::optional(select.text(0)) : std::nullopt;
}

// Writes from `first` on until killed or a write fails; acknowledges each write that returned.
int writeFrom(const StoreLocation& location, long first) {
    try {
        const auto store = openStore(location);
        acknowledge("ready");
        for (long n = first;; ++n) {
            write(*store, n);
            acknowledge("saved " + std::to_string(n));
        }
    } catch (const std::exception& e) {
        acknowledge(std::string("store write failed: ") + e.what());
        return 1;
    }
}

class DurabilityWorld {
protected:
    explicit DurabilityWorld(StoreKind kind) {
        fs::remove_all(dir);
        fs::create_directories(dir);
        location.dataFolder = dir;
        if (kind == StoreKind::Postgresql) {
            database.emplace();
            location.postgresUrl = database->url();
        }
    }
    ~DurabilityWorld() { fs::remove_all(dir); }

    // Every write from `first` to the last acknowledged one reads back whole; the one after it
    // is whole or absent; a SQLite file passes SQLite's integrity check.
    void expectKept(long first, const WriterRun& run) {
        if (database) {
            pg::Connection db(database->url());
            return expectReadBack(db, first, run);
        }
        sqlite::Database db(file, {sqlite::OpenMode::ReadOnly});
        auto check = db.prepare("PRAGMA integrity_check");
        ASSERT_TRUE(check.step());
        ASSERT_EQ(check.text(0), "ok") << "after write " << run.lastSaved();
        expectReadBack(db, first, run);
    }

    template <class Database> void expectReadBack(Database& db, long first, const WriterRun& run) {
        for (long n = first; n <= run.lastSaved(); ++n) {
            ASSERT_EQ(readBack(db, n), bulk(n)) << "write " << n;
        }
        const long next = std::max(first, run.lastSaved() + 1);
        const auto unacknowledged = readBack(db, next);
        if (unacknowledged) {
            ASSERT_EQ(*unacknowledged, bulk(next)) << "write " << next;
        }
    }

    fs::path dir = fs::temp_directory_path() / ("qv-durability-" + std::to_string(::getpid()));
    fs::path file = dir / "backend.sqlite";
    std::optional<TestDatabase> database;
    StoreLocation location;
};

class StoreDurabilityTest : public testing::TestWithParam<StoreKind>, protected DurabilityWorld {
protected:
    StoreDurabilityTest()
        : DurabilityWorld(GetParam()) {}
};

TEST_P(StoreDurabilityTest, AcknowledgedWritesSurviveAKillAtAnyMoment) {
    expectKillsLoseNothing([this](long first) { return writeFrom(location, first); },
                           [this](long first, const WriterRun& run) { expectKept(first, run); }, 1);
}

INSTANTIATE_OVER_BOTH_STORES(StoreDurabilityTest);

class FullDiskTest : public testing::Test, protected DurabilityWorld {
protected:
    FullDiskTest()
        : DurabilityWorld(StoreKind::Sqlite) {}
};

TEST_F(FullDiskTest, FailsInOneLineAndKeepsWhatWasAcknowledged) {
    WriterRun run;
    EXPECT_EQ(expectFullDiskFailure([this](long first) { return writeFrom(location, first); }, run),
              "store write failed: disk I/O error (File too large)\n");
    expectKept(0, run);
    // With room again, the same file takes new writes.
    const auto store = openStore(location);
    EXPECT_NO_THROW(write(*store, run.lastSaved() + 2));
}

} // namespace
