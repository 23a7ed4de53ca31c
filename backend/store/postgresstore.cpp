#include "postgresstore.h"

#include "migrations.h"

namespace backend {
namespace {

constexpr std::chrono::seconds connectionWait{10};

// Any number that no other user of the database takes the same lock with.
constexpr std::string_view migrationLock = "SELECT pg_advisory_xact_lock(7348201)";

// The version the database counts; none before its first migration.
std::optional<int> storedVersion(pg::Connection& db) {
    if (!db.prepare("SELECT 1 WHERE to_regclass('schema_version') IS NOT NULL").step()) {
        return std::nullopt;
    }
    auto select = db.prepare("SELECT version FROM schema_version");
    return select.step() ? std::optional(static_cast<int>(select.integer(0))) : std::nullopt;
}

} // namespace

PostgresStore::PostgresStore(const std::string& url, std::size_t connections)
    : pool_(url, connections, connectionWait) {
    migrate();
}

template <class Work> auto PostgresStore::withConnection(Work&& work) {
    auto lease = pool_.acquire();
    try {
        return work(*lease);
    } catch (const pg::ConnectionLost& e) {
        lease.discard();
        throw StoreUnavailable(std::string("the database is unavailable: ") + e.what());
    }
}

void PostgresStore::migrate() {
    schemaVersion_ = withConnection([](pg::Connection& db) {
        const auto upFrom = [&db](int stored) {
            return migrateFrom(stored, Dialect::Postgresql, "the PostgreSQL database",
                               [&db](const std::string& sql) { db.exec(sql); });
        };
        // As on SQLite, a current database is only read, and a newer one refused.
        if (const auto stored = storedVersion(db);
            stored && *stored >= migrations().back().version) {
            return upFrom(*stored);
        }
        pg::Transaction transaction(db);
        db.exec(migrationLock);
        db.exec("CREATE TABLE IF NOT EXISTS schema_version(version BIGINT NOT NULL)");
        const auto stored = storedVersion(db);
        const int version = upFrom(stored.value_or(0));
        if (!stored) {
            db.prepare("INSERT INTO schema_version(version) VALUES($1)").bind(1, version).run();
        }
        db.prepare("UPDATE schema_version SET version = $1").bind(1, version).run();
        transaction.commit();
        return version;
    });
}

void PostgresStore::addAccount(const Account& account) {
    withConnection([&](pg::Connection& db) {
        db.prepare("INSERT INTO accounts(email, name, password_hash) VALUES($1, $2, $3)")
            .bind(1, account.email)
            .bind(2, account.name)
            .bind(3, account.passwordHash)
            .run();
    });
}

std::optional<Account> PostgresStore::account(const std::string& email) {
    return withConnection([&](pg::Connection& db) -> std::optional<Account> {
        auto select =
            db.prepare("SELECT email, name, password_hash FROM accounts WHERE email = $1");
        if (select.bind(1, email).step()) {
            return Account{select.text(0), select.text(1), select.text(2)};
        }
        // ASCII folding alone, as SQLite's lower() does, so that both stores find alike.
        auto folded =
            db.prepare("SELECT email, name, password_hash FROM accounts "
                       "WHERE lower(email COLLATE \"C\") = lower($1 COLLATE \"C\") LIMIT 2");
        if (!folded.bind(1, email).step()) {
            return std::nullopt;
        }
        Account found{folded.text(0), folded.text(1), folded.text(2)};
        return folded.step() ? std::nullopt : std::optional(std::move(found));
    });
}

void PostgresStore::setPasswordHash(const std::string& email, const std::string& passwordHash) {
    withConnection([&](pg::Connection& db) {
        db.prepare("UPDATE accounts SET password_hash = $1 WHERE email = $2")
            .bind(1, passwordHash)
            .bind(2, email)
            .run();
    });
}

namespace {

// The failures under `key`; with `locking`, the row stays locked to this transaction.
LoginFailures readFailures(pg::Connection& db, const std::string& key, bool locking) {
    auto select = db.prepare(locking ? "SELECT failures, window_start, locked_until FROM "
                                       "login_failures WHERE throttle_key = $1 FOR UPDATE"
                                     : "SELECT failures, window_start, locked_until FROM "
                                       "login_failures WHERE throttle_key = $1");
    if (!select.bind(1, key).step()) {
        return {};
    }
    return {select.integer(0), select.integer(1), select.integer(2)};
}

} // namespace

LoginFailures PostgresStore::loginFailures(const std::string& key) {
    return withConnection([&](pg::Connection& db) { return readFailures(db, key, false); });
}

void PostgresStore::updateLoginFailures(const std::string& key,
                                        const std::function<LoginFailures(LoginFailures)>& update) {
    withConnection([&](pg::Connection& db) {
        pg::Transaction transaction(db);
        // A row to lock, so that another instance's failure waits for this one to be counted.
        db.prepare("INSERT INTO login_failures(throttle_key, failures, window_start, "
                   "locked_until) VALUES($1, 0, 0, 0) ON CONFLICT DO NOTHING")
            .bind(1, key)
            .run();
        const LoginFailures failures = update(readFailures(db, key, true));
        db.prepare("UPDATE login_failures SET failures = $2, window_start = $3, locked_until = $4 "
                   "WHERE throttle_key = $1")
            .bind(1, key)
            .bind(2, failures.count)
            .bind(3, failures.windowStart)
            .bind(4, failures.lockedUntil)
            .run();
        transaction.commit();
    });
}

void PostgresStore::clearLoginFailures(const std::string& key) {
    withConnection([&](pg::Connection& db) {
        db.prepare("DELETE FROM login_failures WHERE throttle_key = $1").bind(1, key).run();
    });
}

void PostgresStore::addSession(const std::string& idHash, const std::string& loginCodeHash,
                               std::int64_t createdAt, std::int64_t expiresAt) {
    withConnection([&](pg::Connection& db) {
        db.prepare("INSERT INTO signin_sessions(id_hash, login_code_hash, created_at, expires_at) "
                   "VALUES($1, $2, $3, $4)")
            .bind(1, idHash)
            .bind(2, loginCodeHash)
            .bind(3, createdAt)
            .bind(4, expiresAt)
            .run();
    });
}

std::optional<std::int64_t> PostgresStore::loginRequestedAt(const std::string& loginCodeHash,
                                                            std::int64_t now) {
    return withConnection([&](pg::Connection& db) -> std::optional<std::int64_t> {
        auto select = db.prepare("SELECT created_at FROM signin_sessions WHERE login_code_hash = "
                                 "$1 AND expires_at > $2 AND email IS NULL");
        if (!select.bind(1, loginCodeHash).bind(2, now).step()) {
            return std::nullopt;
        }
        return select.integer(0);
    });
}

bool PostgresStore::signInSession(const std::string& loginCodeHash, const std::string& email,
                                  std::int64_t now) {
    // One statement: a racing update waits for the row and then finds it signed in.
    return withConnection([&](pg::Connection& db) {
        return db.prepare("UPDATE signin_sessions SET email = $1 WHERE login_code_hash = $2 "
                          "AND expires_at > $3 AND email IS NULL")
                   .bind(1, email)
                   .bind(2, loginCodeHash)
                   .bind(3, now)
                   .run() == 1;
    });
}

Store::SessionState PostgresStore::sessionState(const std::string& idHash, std::int64_t now) {
    return withConnection([&](pg::Connection& db) {
        auto select =
            db.prepare("SELECT email FROM signin_sessions WHERE id_hash = $1 AND expires_at > $2");
        if (!select.bind(1, idHash).bind(2, now).step()) {
            return SessionState::Unknown;
        }
        return select.isNull(0) ? SessionState::Pending : SessionState::SignedIn;
    });
}

bool PostgresStore::redeemSession(const std::string& idHash, const std::string& tokenHash,
                                  std::int64_t now) {
    // One statement: of racing polls, the one whose delete finds the row stores the token; the
    // others wait for its commit and then find nothing.
    return withConnection([&](pg::Connection& db) {
        return db.prepare("WITH taken AS (DELETE FROM signin_sessions WHERE id_hash = $1 AND "
                          "expires_at > $2 AND email IS NOT NULL RETURNING email) "
                          "INSERT INTO tokens(token_hash, email, created_at) "
                          "SELECT $3, email, $2 FROM taken")
                   .bind(1, idHash)
                   .bind(2, now)
                   .bind(3, tokenHash)
                   .run() == 1;
    });
}

void PostgresStore::purgeExpired(std::int64_t now, std::int64_t failureWindow,
                                 std::int64_t tokenLifetime) {
    withConnection([&](pg::Connection& db) {
        db.prepare("DELETE FROM signin_sessions WHERE expires_at <= $1").bind(1, now).run();
        db.prepare("DELETE FROM login_failures WHERE window_start <= $1 AND locked_until <= $2")
            .bind(1, now - failureWindow)
            .bind(2, now)
            .run();
        db.prepare("DELETE FROM tokens WHERE created_at <= $1").bind(1, now - tokenLifetime).run();
        db.prepare("DELETE FROM storage_use WHERE day < $1").bind(1, now / storageDay).run();
    });
}

std::optional<std::string> PostgresStore::useToken(const std::string& tokenHash,
                                                   std::int64_t issuedAfter, std::int64_t now) {
    return withConnection([&](pg::Connection& db) -> std::optional<std::string> {
        auto select = db.prepare("SELECT email, last_used_at FROM tokens "
                                 "WHERE token_hash = $1 AND created_at > $2");
        if (!select.bind(1, tokenHash).bind(2, issuedAfter).step()) {
            return std::nullopt;
        }
        if (select.isNull(1) || select.integer(1) <= now - lastUseGranularity) {
            db.prepare("UPDATE tokens SET last_used_at = $1 WHERE token_hash = $2")
                .bind(1, now)
                .bind(2, tokenHash)
                .run();
        }
        return select.text(0);
    });
}

std::int64_t PostgresStore::revokeTokens(const std::string& email) {
    return withConnection([&](pg::Connection& db) {
        return db.prepare("DELETE FROM tokens WHERE email = $1").bind(1, email).run();
    });
}

Store::Page<TokenRecord, Store::TokenKey>
PostgresStore::tokenPage(const std::optional<TokenKey>& after, std::size_t rows) {
    return withConnection([&](pg::Connection& db) {
        return readTokenPage(
            db.prepare(
                std::string("SELECT email, created_at, token_hash, last_used_at FROM tokens") +
                (after ? " WHERE (email, created_at, token_hash) > ($2, $3, $4)" : "") +
                " ORDER BY email, created_at, token_hash LIMIT $1"),
            after, rows);
    });
}

void PostgresStore::addChat(const std::string& threadId, const std::string& assistantId,
                            const std::string& email, const std::string& content) {
    withConnection([&](pg::Connection& db) {
        db.prepare("INSERT INTO chats(thread_id, assistant_id, email, content) "
                   "VALUES($1, $2, $3, $4)")
            .bind(1, threadId)
            .bind(2, assistantId)
            .bind(3, email)
            .bind(4, content)
            .run();
    });
}

std::optional<std::string> PostgresStore::chatContent(const std::string& threadId,
                                                      const std::string& assistantId,
                                                      const std::string& email) {
    return withConnection([&](pg::Connection& db) -> std::optional<std::string> {
        auto select = db.prepare("SELECT content FROM chats WHERE thread_id = $1 AND "
                                 "assistant_id = $2 AND email = $3");
        if (!select.bind(1, threadId).bind(2, assistantId).bind(3, email).step()) {
            return std::nullopt;
        }
        return select.text(0);
    });
}

void PostgresStore::addChatTurn(const std::string& threadId, const std::string& question,
                                const std::string& answer) {
    withConnection([&](pg::Connection& db) {
        db.prepare("INSERT INTO chat_turns(thread_id, question, answer) VALUES($1, $2, $3)")
            .bind(1, threadId)
            .bind(2, question)
            .bind(3, answer)
            .run();
    });
}

void PostgresStore::addTrainingPair(const TrainingPair& pair) {
    withConnection([&](pg::Connection& db) {
        db.prepare("INSERT INTO training_pairs(email, question, answer, created_at) "
                   "VALUES($1, $2, $3, $4)")
            .bind(1, pair.email)
            .bind(2, pair.question)
            .bind(3, pair.answer)
            .bind(4, pair.createdAt)
            .run();
    });
}

bool PostgresStore::addToDay(const std::string& email, std::int64_t day, std::int64_t bytes,
                             std::int64_t limit) {
    return withConnection([&](pg::Connection& db) {
        return db.prepare("INSERT INTO storage_use(email, day, bytes) VALUES($1, $2, $3) "
                          "ON CONFLICT(email, day) DO UPDATE SET bytes = storage_use.bytes + "
                          "excluded.bytes WHERE storage_use.bytes + excluded.bytes <= $4")
                   .bind(1, email)
                   .bind(2, day)
                   .bind(3, bytes)
                   .bind(4, limit)
                   .run() == 1;
    });
}

Store::Page<TrainingPair, std::int64_t>
PostgresStore::trainingPairPage(std::optional<std::int64_t> after, std::size_t rows) {
    return withConnection([&](pg::Connection& db) {
        return readTrainingPairPage(
            db.prepare(
                std::string("SELECT id, email, question, answer, created_at FROM training_pairs") +
                (after ? " WHERE id > $2" : "") + " ORDER BY id LIMIT $1"),
            after, rows);
    });
}

} // namespace backend
