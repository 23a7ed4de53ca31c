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

SqliteStore::SqliteStore(const std::filesystem::path& file)
    : db_(privateFile(file)) {
    db_.exec("PRAGMA journal_mode=WAL");
    db_.exec("PRAGMA synchronous=FULL");
    db_.exec("PRAGMA foreign_keys=ON");
    migrate(file);
}

sqlite::Statement& SqliteStore::reused(std::string_view sql) {
    auto found = reused_.find(absl::string_view(sql.data(), sql.size()));
    if (found == reused_.end()) {
        found = reused_.try_emplace(std::string(sql), db_, sql).first;
    }
    return found->second;
}

int SqliteStore::storedVersion() {
    auto select = db_.prepare("SELECT version FROM schema_version");
    if (select.step()) {
        return static_cast<int>(select.integer(0));
    }
    // A file from before versions were counted already holds the first schema.
    auto accounts =
        db_.prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'accounts'");
    const int version = accounts.step() ? 1 : 0;
    db_.prepare("INSERT INTO schema_version(version) VALUES(?)").bind(1, version).run();
    return version;
}

void SqliteStore::migrate(const std::filesystem::path& file) {
    sqlite::Transaction transaction(db_);
    db_.exec("CREATE TABLE IF NOT EXISTS schema_version(version INTEGER NOT NULL)");
    schemaVersion_ = migrateFrom(storedVersion(), Dialect::Sqlite, file.string(),
                                 [this](const std::string& sql) { db_.exec(sql); });
    db_.prepare("UPDATE schema_version SET version = ?").bind(1, schemaVersion_).run();
    transaction.commit();
}

void SqliteStore::addAccount(const Account& account) {
    std::lock_guard lock(mutex_);
    auto insert = db_.prepare("INSERT INTO accounts(email, name, password_hash) VALUES(?, ?, ?)");
    insert.bind(1, account.email).bind(2, account.name).bind(3, account.passwordHash).run();
}

std::optional<Account> SqliteStore::account(const std::string& email) {
    std::lock_guard lock(mutex_);
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
}

void SqliteStore::setPasswordHash(const std::string& email, const std::string& passwordHash) {
    std::lock_guard lock(mutex_);
    auto update = db_.prepare("UPDATE accounts SET password_hash = ? WHERE email = ?");
    update.bind(1, passwordHash).bind(2, email).run();
}

LoginFailures SqliteStore::loginFailures(const std::string& key) {
    std::lock_guard lock(mutex_);
    return readLoginFailures(key);
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
    std::lock_guard lock(mutex_);
    sqlite::Transaction transaction(db_);
    const LoginFailures failures = update(readLoginFailures(key));
    auto upsert = db_.prepare(
        "INSERT INTO login_failures(throttle_key, failures, window_start, locked_until) "
        "VALUES(?, ?, ?, ?) ON CONFLICT(throttle_key) DO UPDATE SET failures = excluded.failures, "
        "window_start = excluded.window_start, locked_until = excluded.locked_until");
    upsert.bind(1, key).bind(2, failures.count).bind(3, failures.windowStart);
    upsert.bind(4, failures.lockedUntil).run();
    transaction.commit();
}

void SqliteStore::clearLoginFailures(const std::string& key) {
    std::lock_guard lock(mutex_);
    auto remove = db_.prepare("DELETE FROM login_failures WHERE throttle_key = ?");
    remove.bind(1, key).run();
}

void SqliteStore::addSession(const std::string& idHash, const std::string& loginCodeHash,
                             std::int64_t createdAt, std::int64_t expiresAt) {
    std::lock_guard lock(mutex_);
    auto insert = db_.prepare("INSERT INTO signin_sessions(id_hash, login_code_hash, created_at, "
                              "expires_at) VALUES(?, ?, ?, ?)");
    insert.bind(1, idHash).bind(2, loginCodeHash).bind(3, createdAt).bind(4, expiresAt).run();
}

std::optional<std::int64_t> SqliteStore::loginRequestedAt(const std::string& loginCodeHash,
                                                          std::int64_t now) {
    std::lock_guard lock(mutex_);
    auto select = db_.prepare("SELECT created_at FROM signin_sessions WHERE login_code_hash = ? "
                              "AND expires_at > ? AND email IS NULL");
    select.bind(1, loginCodeHash).bind(2, now);
    if (!select.step()) {
        return std::nullopt;
    }
    return select.integer(0);
}

bool SqliteStore::signInSession(const std::string& loginCodeHash, const std::string& email,
                                std::int64_t now) {
    std::lock_guard lock(mutex_);
    auto update = db_.prepare("UPDATE signin_sessions SET email = ? WHERE login_code_hash = ? "
                              "AND expires_at > ? AND email IS NULL");
    update.bind(1, email).bind(2, loginCodeHash).bind(3, now).run();
    return db_.changes() == 1;
}

Store::SessionState SqliteStore::sessionState(const std::string& idHash, std::int64_t now) {
    std::lock_guard lock(mutex_);
    auto select =
        db_.prepare("SELECT email FROM signin_sessions WHERE id_hash = ? AND expires_at > ?");
    select.bind(1, idHash).bind(2, now);
    if (!select.step()) {
        return SessionState::Unknown;
    }
    return select.isNull(0) ? SessionState::Pending : SessionState::SignedIn;
}

bool SqliteStore::redeemSession(const std::string& idHash, const std::string& tokenHash,
                                std::int64_t now) {
    std::lock_guard lock(mutex_);
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
    auto insert = db_.prepare("INSERT INTO tokens(token_hash, email, created_at) VALUES(?, ?, ?)");
    insert.bind(1, tokenHash).bind(2, email).bind(3, now).run();
    transaction.commit();
    return true;
}

void SqliteStore::purgeExpired(std::int64_t now, std::int64_t failureWindow,
                               std::int64_t tokenLifetime) {
    std::lock_guard lock(mutex_);
    auto sessions = db_.prepare("DELETE FROM signin_sessions WHERE expires_at <= ?");
    sessions.bind(1, now).run();
    auto failures =
        db_.prepare("DELETE FROM login_failures WHERE window_start <= ? AND locked_until <= ?");
    failures.bind(1, now - failureWindow).bind(2, now).run();
    auto tokens = db_.prepare("DELETE FROM tokens WHERE created_at <= ?");
    tokens.bind(1, now - tokenLifetime).run();
}

std::optional<std::string> SqliteStore::useToken(const std::string& tokenHash,
                                                 std::int64_t issuedAfter, std::int64_t now) {
    std::lock_guard lock(mutex_);
    sqlite::Statement& select =
        reused("SELECT email, last_used_at FROM tokens WHERE token_hash = ? AND created_at > ?");
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
}

std::int64_t SqliteStore::revokeTokens(const std::string& email) {
    std::lock_guard lock(mutex_);
    auto remove = db_.prepare("DELETE FROM tokens WHERE email = ?");
    remove.bind(1, email).run();
    return db_.changes();
}

std::vector<TokenRecord> SqliteStore::tokens() {
    std::lock_guard lock(mutex_);
    auto select = db_.prepare("SELECT email, substr(token_hash, 1, 12), created_at, last_used_at "
                              "FROM tokens ORDER BY email, created_at");
    std::vector<TokenRecord> records;
    while (select.step()) {
        records.push_back({select.text(0), select.text(1), select.integer(2),
                           select.isNull(3) ? std::nullopt : std::optional(select.integer(3))});
    }
    return records;
}

void SqliteStore::addChat(const std::string& threadId, const std::string& assistantId,
                          const std::string& email, const std::string& content) {
    std::lock_guard lock(mutex_);
    auto insert = db_.prepare(
        "INSERT INTO chats(thread_id, assistant_id, email, content) VALUES(?, ?, ?, ?)");
    insert.bind(1, threadId).bind(2, assistantId).bind(3, email).bind(4, content).run();
}

std::optional<std::string> SqliteStore::chatContent(const std::string& threadId,
                                                    const std::string& assistantId,
                                                    const std::string& email) {
    std::lock_guard lock(mutex_);
    auto select = db_.prepare(
        "SELECT content FROM chats WHERE thread_id = ? AND assistant_id = ? AND email = ?");
    select.bind(1, threadId).bind(2, assistantId).bind(3, email);
    if (!select.step()) {
        return std::nullopt;
    }
    return select.text(0);
}

void SqliteStore::addChatTurn(const std::string& threadId, const std::string& question,
                              const std::string& answer) {
    std::lock_guard lock(mutex_);
    auto insert =
        db_.prepare("INSERT INTO chat_turns(thread_id, question, answer) VALUES(?, ?, ?)");
    insert.bind(1, threadId).bind(2, question).bind(3, answer).run();
}

void SqliteStore::addTrainingPair(const TrainingPair& pair) {
    std::lock_guard lock(mutex_);
    auto insert = db_.prepare("INSERT INTO training_pairs(email, question, answer, created_at) "
                              "VALUES(?, ?, ?, ?)");
    insert.bind(1, pair.email).bind(2, pair.question).bind(3, pair.answer).bind(4, pair.createdAt);
    insert.run();
}

std::vector<TrainingPair> SqliteStore::trainingPairs() {
    std::lock_guard lock(mutex_);
    auto select =
        db_.prepare("SELECT email, question, answer, created_at FROM training_pairs ORDER BY id");
    std::vector<TrainingPair> pairs;
    while (select.step()) {
        pairs.push_back({select.text(0), select.text(1), select.text(2), select.integer(3)});
    }
    return pairs;
}

} // namespace backend
