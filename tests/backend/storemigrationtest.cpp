// The store's schema steps on files of every age: fresh, from before versions were counted,
// and from a newer program, and beside another process that writes; on a shared database, from
// several instances at once.
#include "backendworld.h"
#include "migrations.h"
#include "postgresdatabase.h"
#include "postgresstore.h"
#include "sqlitestore.h"
#include "testdatabase.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

using namespace backend;
namespace fs = std::filesystem;

namespace {

const int latest = migrations().back().version;

// How a store refuses a schema one step newer than this program knows: it names `what`.
auto refusedAsNewer(const std::string& what) {
    return testing::ThrowsMessage<std::runtime_error>(
        what + " has schema version " + std::to_string(latest + 1) + ", newer than the " +
        std::to_string(latest) + " this quorvane-backend knows; run a newer release");
}

class StoreMigrationTest : public testing::Test {
protected:
    static fs::path madeFolder() {
        std::string folder = fs::temp_directory_path() / "qv-migrate-XXXXXX";
        return ::mkdtemp(folder.data());
    }
    ~StoreMigrationTest() override { fs::remove_all(dir); }

    const fs::path dir = madeFolder();
    fs::path file = dir / "backend.sqlite";
};

// The steps count up from one without gaps. A file the first releases made, with an account
// and a token in it, counts as version 1 and keeps both through every later step.
TEST_F(StoreMigrationTest, AnUnversionedFileIsVersionOneAndKeepsItsRows) {
    for (std::size_t i = 0; i < migrations().size(); ++i) {
        EXPECT_EQ(migrations()[i].version, static_cast<int>(i) + 1);
    }
    {
        sqlite::Database old(file);
        old.exec(migrationSql(migrations()[0], Dialect::Sqlite));
        old.exec("INSERT INTO accounts(email, name, password_hash) VALUES('a@b', 'A', 'h');"
                 "INSERT INTO tokens(token_hash, email, created_at) VALUES('t', 'a@b', 5);"
                 "INSERT INTO signin_sessions(id_hash, expires_at) VALUES('s', 99)");
    }
    SqliteStore store(file);
    EXPECT_EQ(store.schemaVersion(), latest);
    EXPECT_EQ(store.account("a@b")->passwordHash, "h");
    EXPECT_EQ(store.useToken("t", 0, 10), "a@b");
    store.addSession("id", "code", 1, 99);
    EXPECT_EQ(store.loginRequestedAt("code", 2), 1);
}

// Fresh and reopened, a file is at the latest version; one step newer, it is refused untouched.
TEST_F(StoreMigrationTest, AFileNewerThanTheProgramIsLeftAlone) {
    EXPECT_EQ(SqliteStore(file).schemaVersion(), latest);
    EXPECT_EQ(SqliteStore(file).schemaVersion(), latest);
    sqlite::Database(file).exec("UPDATE schema_version SET version = version + 1");
    EXPECT_THAT([&] { SqliteStore store(file); }, refusedAsNewer(file.string()));
    sqlite::Database db(file);
    auto version = db.prepare("SELECT version FROM schema_version");
    ASSERT_TRUE(version.step());
    EXPECT_EQ(version.integer(0), latest + 1);
}

// Each sign-in start purges under the store's lock: by index, however many rows have expired.
TEST_F(StoreMigrationTest, PurgesFindTheExpiredRowsByIndex) {
    (void)SqliteStore(file);
    sqlite::Database db(file);
    for (const char* purge :
         {"DELETE FROM signin_sessions WHERE expires_at <= 1",
          "DELETE FROM login_failures WHERE window_start <= 1 AND locked_until <= 1",
          "DELETE FROM tokens WHERE created_at <= 1"}) {
        auto plan = db.prepare(std::string("EXPLAIN QUERY PLAN ") + purge);
        ASSERT_TRUE(plan.step());
        EXPECT_THAT(plan.text(3), testing::HasSubstr("USING INDEX")) << purge;
    }
}

// A command opens the file beside a server that is writing: it opens and reads at once, and a
// request that outwaits the busy wait is told to try again.
TEST(SqliteBesideAWriterTest, AStoreOpensAndReadsAndAWriteThatWaitsTooLongGets503) {
    BackendWorld world;
    const std::string token = world.signIn();
    const fs::path file = world.dir / "backend.sqlite";
    sqlite::Database writer(file);
    writer.exec("BEGIN IMMEDIATE");
    world.useStore(std::make_unique<SqliteStore>(file, std::chrono::milliseconds(1)));
    EXPECT_EQ(world.store->account("ann@example.org")->name, "Ann Lee");
    const auto answer = world.call({"POST",
                                    "/api/v1/create-training-data",
                                    {{"authorization", "Bearer " + token}},
                                    R"({"question":"q","answer":"a"})",
                                    "127.0.0.1"});
    EXPECT_EQ(answer.status, 503);
    EXPECT_EQ(world.logLines().back(), "store unavailable: database is locked");
}

// Without a lock of the database's, instances starting together would each create the tables.
TEST(PostgresMigrationTest, InstancesStartingTogetherMigrateOnceAndANewerDatabaseStopsThem) {
    const TestDatabase database;
    std::atomic<int> started = 0;
    {
        std::vector<std::jthread> instances;
        instances.reserve(4);
        for (int i = 0; i < 4; ++i) {
            instances.emplace_back([&] {
                started += PostgresStore(database.url(), 1).schemaVersion() == latest ? 1 : 0;
            });
        }
    }
    EXPECT_EQ(started, 4);
    // Opened again, the current database is only read: its version row stays as written.
    pg::Connection db(database.url());
    const auto writtenBy = [&db] {
        auto select = db.prepare("SELECT xmin::text FROM schema_version");
        return select.step() ? select.text(0) : "";
    };
    const std::string before = writtenBy();
    EXPECT_EQ(PostgresStore(database.url(), 1).schemaVersion(), latest);
    EXPECT_EQ(writtenBy(), before);
    db.exec("UPDATE schema_version SET version = version + 1");
    EXPECT_THAT([&] { PostgresStore store(database.url(), 1); },
                refusedAsNewer("the PostgreSQL database"));
}

} // namespace
