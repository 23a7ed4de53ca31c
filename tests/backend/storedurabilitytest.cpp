// Writers killed at random moments or out of room, and instances killed under HTTP load: what
// was acknowledged is there afterwards, and nothing is half there.
#include "backendprocess.h"
#include "backendworld.h"
#include "crashwriter.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <random>
#include <thread>
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

// Every `step`th write from `first` to `lastSaved`, the last acknowledged one, reads back whole;
// the one after it is whole or absent.
template <class Database>
void expectReadBack(Database& db, long first, long lastSaved, long step = 1) {
    for (long n = first; n <= lastSaved; n += step) {
        ASSERT_EQ(readBack(db, n), bulk(n)) << "write " << n;
    }
    const long next = std::max(first, lastSaved + step);
    const auto unacknowledged = readBack(db, next);
    if (unacknowledged) {
        ASSERT_EQ(*unacknowledged, bulk(next)) << "write " << next;
    }
}

class StoreDurabilityTest : public testing::Test {
protected:
    StoreDurabilityTest() {
        fs::remove_all(dir);
        fs::create_directories(dir);
        location.dataFolder = dir;
    }
    ~StoreDurabilityTest() override { fs::remove_all(dir); }

    // What was acknowledged reads back, and the file passes SQLite's integrity check.
    void expectKept(long first, const WriterRun& run) {
        sqlite::Database db(file, {sqlite::OpenMode::ReadOnly});
        auto check = db.prepare("PRAGMA integrity_check");
        ASSERT_TRUE(check.step());
        ASSERT_EQ(check.text(0), "ok") << "after write " << run.lastSaved();
        expectReadBack(db, first, run.lastSaved());
    }

    fs::path dir = fs::temp_directory_path() / ("qv-durability-" + std::to_string(::getpid()));
    fs::path file = dir / "backend.sqlite";
    StoreLocation location;
};

TEST_F(StoreDurabilityTest, AcknowledgedWritesSurviveAKillAtAnyMoment) {
    expectKillsLoseNothing([this](long first) { return writeFrom(location, first); },
                           [this](long first, const WriterRun& run) { expectKept(first, run); }, 1);
}

TEST_F(StoreDurabilityTest, FailsInOneLineAndKeepsWhatWasAcknowledged) {
    WriterRun run;
    EXPECT_EQ(expectFullDiskFailure([this](long first) { return writeFrom(location, first); }, run),
              "store write failed: disk I/O error (File too large)\n");
    expectKept(0, run);
    // With room again, the same file takes new writes.
    const auto store = openStore(location);
    EXPECT_NO_THROW(write(*store, run.lastSaved() + 2));
}

// Training pairs (the odd n) through an instance killed 0 to 40 writes and up to 10 ms in, then
// a new one on the same database. Rounds count writes, not time; the limit catches a hang.
TEST(ServeKillTest, AcknowledgedWritesSurviveAKilledInstance) {
    using Steady = std::chrono::steady_clock;
    constexpr int rounds = 6;
    const TestDatabase database;
    const std::string token = addAnn(database.url(), "a-long-enough-password");
    std::mt19937 random(20261208);
    std::uniform_int_distribution<long> writesBeforeKill(0, 40);
    std::uniform_int_distribution<int> thenMicroseconds(0, 10000);
    const auto deadline = Steady::now() + std::chrono::seconds(120);
    long acknowledged = 0;
    for (long round = 0, first = 1; round < rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        BackendProcess instance({"--listen", "127.0.0.1:0"},
                                {"QUORVANE_STORE_URL=" + database.url()});
        const std::uint16_t port = instance.apiPort();
        ASSERT_NE(port, 0);
        const long target = first + 2 * (writesBeforeKill(random) - 1);
        std::atomic<long> lastSaved = first - 2;
        auto client = std::async(std::launch::async, [&, first] {
            LoopbackClient connection(port, instance.caPem());
            for (long n = first;; n += 2) {
                const nlohmann::json pair = {{"question", keyOf(n)}, {"answer", bulk(n)}};
                if (connection.ask("POST", "/api/v1/create-training-data", pair.dump(), token)
                        .status != 200) {
                    return;
                }
                lastSaved = n;
            }
        });
        // Until the target, a refused write or the time limit.
        while (lastSaved < target && Steady::now() < deadline &&
               client.wait_for(std::chrono::milliseconds(1)) == std::future_status::timeout) {
        }
        const bool late = Steady::now() >= deadline;
        std::this_thread::sleep_for(std::chrono::microseconds(thenMicroseconds(random)));
        ::kill(instance.pid(), SIGKILL);
        client.get();
        ASSERT_GE(lastSaved, target) << (late ? "past the 120 s limit: the instance hangs or the "
                                                "machine is far too busy"
                                              : "the instance refused a write");
        pg::Connection db(database.url());
        expectReadBack(db, first, lastSaved, 2);
        if (testing::Test::HasFailure()) {
            return;
        }
        acknowledged += (lastSaved - first) / 2 + 1;
        // Past the write in flight, which may be stored all the same.
        first = lastSaved + 4;
    }
    std::printf("%d rounds, %ld acknowledged writes\n", rounds, acknowledged);
}

} // namespace
