#include "sqlitestore.h"

#include "migrations.h"
#include "privatefile.h"

#include <absl/cleanup/cleanup.h>

namespace backend {

namespace {

// Accounts, mails and training pairs are for this user alone; SQLite gives its -wal and -shm
// files the mode of the database file.
const std::filesystem::path& privateFile(const std::filesystem::path& file) {
    makePrivateFile(file, CreateMissing::Yes);
    for (const char* suffix : {"-wal", "-shm"}) {
        makePrivateFile(file.string() + suffix, CreateMissing::No);
    }
    return file;
}

} // namespace

SqliteStore::SqliteStore(const std::filesystem::path& file, std::chrono::milliseconds busyTimeout)
    : db_(privateFile(file), {sqlite::OpenMode::ReadWriteCreate, busyTimeout}) {
    db_.exec("PRAGMA journal_mode=WAL");
    db_.exec("PRAGMA synchronous=FULL");
    db_.exec("PRAGMA foreign_keys=ON");
    migrate(file);
}

template <class Work> auto SqliteStore::locked(Work&& work) {
    std::lock_guard lock(mutex_);
    try {
        return work();
    } catch (const sqlite::Error& e) {
        const int primary = e.code() & 0xff;
        if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED || primary == SQLITE_FULL) {
            throw StoreUnavailable(e.what());
        }
        throw;
    }
}

sqlite::Statement& SqliteStore::reused(std::string_view sql) {
    auto found = reused_.find(absl::string_view(sql.data(), sql.size()));
    if (found == reused_.end()) {
        found = reused_.try_emplace(std::string(sql), db_, sql).first;
    }
    return found->second;
}

std::optional<int> SqliteStore::storedVersion() {
    auto table =
        db_.prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'schema_version'");
    if (!table.step()) {
        return std::nullopt;
    }
    auto select = db_.prepare("SELECT version FROM schema_version");
    return select.step() ? std::optional(static_cast<int>(select.integer(0))) : std::nullopt;
}

int SqliteStore::countedVersion() {
    if (const auto stored = storedVersion()) {
        return *stored;
    }
    // A file from before versions were counted already holds the first schema.
    auto accounts =
        db_.prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'accounts'");
    const int version = accounts.step() ? 1 : 0;
    db_.prepare("INSERT INTO schema_version(version) VALUES(?)").bind(1, version).run();
    return version;
}

void SqliteStore::migrate(const std::filesystem::path& file) {
    const auto upFrom = [&](int stored) {
        return migrateFrom(stored, Dialect::Sqlite, file.string(),
                           [this](const std::string& sql) { db_.exec(sql); });
    };
    // A current file is only read, so that a command opening it beside a server that writes
    // does not wait for the write lock. A newer one is refused here.
    if (const auto stored = storedVersion(); stored && *stored >= migrations().back().version) {
        schemaVersion_ = upFrom(*stored);
        return;
    }
    // Read again under the write lock: another process may have migrated meanwhile.
    sqlite::Transaction transaction(db_);
    db_.exec("CREATE TABLE IF NOT EXISTS schema_version(version INTEGER NOT NULL)");
    schemaVersion_ = upFrom(countedVersion());
    db_.prepare("UPDATE schema_version SET version = ?").bind(1, schemaVersion_).run();
    transaction.commit();
}

void SqliteStore::addAccount(const Account& account) {
    locked([&] {
        auto insert =
            db_.prepare("INSERT INTO accounts(email, name, password_hash) VALUES(?, ?, ?)");
        insert.bind(1, account.email).bind(2, account.name).bind(3, account.passwordHash).run();
    });
}

std::optional<Account> SqliteStore::account(const std::string& email) {
    return locked([&]() -> std::optional<Account> {
        sqlite::Statement& select =
            reused("SELECT email, name, password_hash FROM accounts WHERE email = ?");
        const absl::Cleanup done = [&select] { select.reset(); };
        select.bind(1, email);
        if (select.step()) {
            return Account{select.text(0), select.text(1), select.text(2)};
        }
        // SQLite's lower() folds ASCII alone, as PostgreSQL's does under the "C" collation.
        sqlite::Statement& folded = reused("SELECT email, name, password_hash FROM accounts "
                                           "WHERE lower(email) = lower(?) LIMIT 2");
        const absl::Cleanup foldedDone = [&folded] { folded.reset(); };
        folded.bind(1, email);
        if (!folded.step()) {
            return std::nullopt;
        }
        Account found{folded.text(0), folded.text(1), folded.text(2)};
        return folded.step() ? std::nullopt : std::optional(std::move(found));
    });
}

void SqliteStore::setPasswordHash(const std::string& email, const std::string& passwordHash) {
    locked([&] {
        auto update = db_.prepare("UPDATE accounts SET password_hash = ? WHERE email = ?");
        update.bind(1, passwordHash).bind(2, email).run();
    });
}

LoginFailures SqliteStore::loginFailures(const std::string& key) {
    return locked([&] { return readLoginFailures(key); });
}

LoginFailures SqliteStore::readLoginFailures(const std::string& key) {
    auto select = db_.prepare("SELECT failures, window_start, locked_until FROM login_failures "
                              "WHERE throttle_key = ?");
    select.bind(1, key);
    if (!select.step()) {
        return {};
    }
    return {select.integer(0), select.integer(1), select.integer(2)};
}

void SqliteStore::updateLoginFailures(const std::string& key,
                                      const std::function<LoginFailures(LoginFailures)>& update) {
    locked([&] {
        sqlite::Transaction transaction(db_);
        const LoginFailures failures = update(readLoginFailures(key));
        auto upsert = db_.prepare(
            "INSERT INTO login_failures(throttle_key, failures, window_start, locked_until) "
            "VALUES(?, ?, ?, ?) ON CONFLICT(throttle_key) DO UPDATE SET "
            "failures = excluded.failures, window_start = excluded.window_start, "
            "locked_until = excluded.locked_until");
        upsert.bind(1, key).bind(2, failures.count).bind(3, failures.windowStart);
        upsert.bind(4, failures.lockedUntil).run();
        transaction.commit();
    });
}

void SqliteStore::clearLoginFailures(const std::string& key) {
    locked([&] {
        auto remove = db_.prepare("DELETE FROM login_failures WHERE throttle_key = ?");
        remove.bind(1, key).run();
    });
}

void SqliteStore::addSession(const std::string& idHash, const std::string& loginCodeHash,
                             std::int64_t createdAt, std::int64_t expiresAt) {
    locked([&] {
        auto insert =
            db_.prepare("INSERT INTO signin_sessions(id_hash, login_code_hash, created_at, "
                        "expires_at) VALUES(?, ?, ?, ?)");
        insert.bind(1, idHash).bind(2, loginCodeHash).bind(3, createdAt).bind(4, expiresAt).run();
    });
}

std::optional<std::int64_t> SqliteStore::loginRequestedAt(const std::string& loginCodeHash,
                                                          std::int64_t now) {
    return locked([&]() -> std::optional<std::int64_t> {
        auto select =
            db_.prepare("SELECT created_at FROM signin_sessions WHERE login_code_hash = ? "
                        "AND expires_at > ? AND email IS NULL");
        select.bind(1, loginCodeHash).bind(2, now);
        if (!select.step()) {
            return std::nullopt;
        }
        return select.integer(0);
    });
}

bool SqliteStore::signInSession(const std::string& loginCodeHash, const std::string& email,
                                std::int64_t now) {
    return locked([&] {
        auto update = db_.prepare("UPDATE signin_sessions SET email = ? WHERE login_code_hash = ? "
                                  "AND expires_at > ? AND email IS NULL");
        update.bind(1, email).bind(2, loginCodeHash).bind(3, now).run();
        return db_.changes() == 1;
    });
}

Store::SessionState SqliteStore::sessionState(const std::string& idHash, std::int64_t now) {
    return locked([&] {
        auto select =
            db_.prepare("SELECT email FROM signin_sessions WHERE id_hash = ? AND expires_at > ?");
        select.bind(1, idHash).bind(2, now);
        if (!select.step()) {
            return SessionState::Unknown;
        }
        return select.isNull(0) ? SessionState::Pending : SessionState::SignedIn;
    });
}

bool SqliteStore::redeemSession(const std::string& idHash, const std::string& tokenHash,
                                std::int64_t now) {
    return locked([&] {
        sqlite::Transaction transaction(db_);
        auto select = db_.prepare("SELECT email FROM signin_sessions "
                                  "WHERE id_hash = ? AND expires_at > ? AND email IS NOT NULL");
        select.bind(1, idHash).bind(2, now);
        if (!select.step()) {
            return false;
        }
        const std::string email = select.text(0);
        auto remove = db_.prepare("DELETE FROM signin_sessions WHERE id_hash = ?");
        remove.bind(1, idHash).run();
        auto insert =
            db_.prepare("INSERT INTO tokens(token_hash, email, created_at) VALUES(?, ?, ?)");
        insert.bind(1, tokenHash).bind(2, email).bind(3, now).run();
        transaction.commit();
        return true;
    });
}

void SqliteStore::purgeExpired(std::int64_t now, std::int64_t failureWindow,
                               std::int64_t tokenLifetime) {
    locked([&] {
        auto sessions = db_.prepare("DELETE FROM signin_sessions WHERE expires_at <= ?");
        sessions.bind(1, now).run();
        auto failures =
            db_.prepare("DELETE FROM login_failures WHERE window_start <= ? AND locked_until <= ?");
        failures.bind(1, now - failureWindow).bind(2, now).run();
        auto tokens = db_.prepare("DELETE FROM tokens WHERE created_at <= ?");
        tokens.bind(1, now - tokenLifetime).run();
        auto days = db_.prepare("DELETE FROM storage_use WHERE day < ?");
        days.bind(1, now / storageDay).run();
    });
}

std::optional<std::string> SqliteStore::useToken(const std::string& tokenHash,
                                                 std::int64_t issuedAfter, std::int64_t now) {
    return locked([&]() -> std::optional<std::string> {
        sqlite::Statement& select = reused(
            "SELECT email, last_used_at FROM tokens WHERE token_hash = ? AND created_at > ?");
        const absl::Cleanup done = [&select] { select.reset(); };
        select.bind(1, tokenHash).bind(2, issuedAfter);
        if (!select.step()) {
            return std::nullopt;
        }
        std::string email = select.text(0);
        if (select.isNull(1) || select.integer(1) <= now - lastUseGranularity) {
            select.reset();
            reused("UPDATE tokens SET last_used_at = ? WHERE token_hash = ?")
                .bind(1, now)
                .bind(2, tokenHash)
                .run();
        }
        return email;
    });
}

std::int64_t SqliteStore::revokeTokens(const std::string& email) {
    return locked([&] {
        auto remove = db_.prepare("DELETE FROM tokens WHERE email = ?");
        remove.bind(1, email).run();
        return db_.changes();
    });
}

Store::Page<TokenRecord, Store::TokenKey>
SqliteStore::tokenPage(const std::optional<TokenKey>& after, std::size_t rows) {
    return locked([&] {
        return readTokenPage(
            db_.prepare(
                std::string("SELECT email, created_at, token_hash, last_used_at FROM tokens") +
                (after ? " WHERE (email, created_at, token_hash) > (?2, ?3, ?4)" : "") +
                " ORDER BY email, created_at, token_hash LIMIT ?1"),
            after, rows);
    });
}

void SqliteStore::addChat(const std::string& threadId, const std::string& assistantId,
                          const std::string& email, const std::string& content) {
    locked([&] {
        auto insert = db_.prepare(
            "INSERT INTO chats(thread_id, assistant_id, email, content) VALUES(?, ?, ?, ?)");
        insert.bind(1, threadId).bind(2, assistantId).bind(3, email).bind(4, content).run();
    });
}

std::optional<std::string> SqliteStore::chatContent(const std::string& threadId,
                                                    const std::string& assistantId,
                                                    const std::string& email) {
    return locked([&]() -> std::optional<std::string> {
        auto select = db_.prepare(
            "SELECT content FROM chats WHERE thread_id = ? AND assistant_id = ? AND email = ?");
        select.bind(1, threadId).bind(2, assistantId).bind(3, email);
        if (!select.step()) {
            return std::nullopt;
        }
        return select.text(0);
    });
}

void SqliteStore::addChatTurn(const std::string& threadId, const std::string& question,
                              const std::string& answer) {
    locked([&] {
        auto insert =
            db_.prepare("INSERT INTO chat_turns(thread_id, question, answer) VALUES(?, ?, ?)");
        insert.bind(1, threadId).bind(2, question).bind(3, answer).run();
    });
}

void SqliteStore::addTrainingPair(const TrainingPair& pair) {
    locked([&] {
        auto insert = db_.prepare("INSERT INTO training_pairs(email, question, answer, created_at) "
                                  "VALUES(?, ?, ?, ?)");
        insert.bind(1, pair.email)
            .bind(2, pair.question)
            .bind(3, pair.answer)
            .bind(4, pair.createdAt);
        insert.run();
    });
}

bool SqliteStore::addToDay(const std::string& email, std::int64_t day, std::int64_t bytes,
                           std::int64_t limit) {
    return locked([&] {
        auto charge = db_.prepare(
            "INSERT INTO storage_use(email, day, bytes) VALUES(?, ?, ?) ON CONFLICT(email, day) "
            "DO UPDATE SET bytes = storage_use.bytes + excluded.bytes "
            "WHERE storage_use.bytes + excluded.bytes <= ?");
        charge.bind(1, email).bind(2, day).bind(3, bytes).bind(4, limit).run();
        return db_.changes() == 1;
    });
}

Store::Page<TrainingPair, std::int64_t>
SqliteStore::trainingPairPage(std::optional<std::int64_t> after, std::size_t rows) {
    return locked([&] {
        return readTrainingPairPage(
            db_.prepare(
                std::string("SELECT id, email, question, answer, created_at FROM training_pairs") +
                (after ? " WHERE id > ?2" : "") + " ORDER BY id LIMIT ?1"),
            after, rows);
    });
}

} // namespace backend
