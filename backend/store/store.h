#pragma once

#include "sqlitedatabase.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace backend {

/// An account as stored: e-mail address, display name and password hash record.
struct Account {
    std::string email;
    std::string name;
    std::string passwordHash;
};

/// Failed sign-ins counted under one throttle key since `windowStart`.
struct LoginFailures {
    std::int64_t count = 0;
    std::int64_t windowStart = 0;
    std::int64_t lockedUntil = 0;
};

/// A stored token as an administrator sees it: never the whole hash.
struct TokenRecord {
    std::string email;
    std::string hashPrefix;
    std::int64_t createdAt = 0;
    std::optional<std::int64_t> lastUsedAt;
};

/// One question and answer pair submitted for training.
struct TrainingPair {
    std::string email;
    std::string question;
    std::string answer;
    std::int64_t createdAt = 0;
};

/// The backend's SQLite file: accounts, sign-in sessions, token hashes, chats and training pairs.
/// Every method is one transaction; calls from several threads are serialised.
class Store {
public:
    /// Opens or makes the file and brings its schema up to date in one transaction; throws
    /// when the file is newer than this program.
    explicit Store(const std::filesystem::path& file);

    /// The schema version the file is at, which is the newest this program knows.
    [[nodiscard]] int schemaVersion() const { return schemaVersion_; }

    void addAccount(const Account& account);
    [[nodiscard]] std::optional<Account> account(const std::string& email);
    /// Replaces the password hash record, as when it is made again at a higher cost.
    void setPasswordHash(const std::string& email, const std::string& passwordHash);

    [[nodiscard]] LoginFailures loginFailures(const std::string& key);
    /// Stores what `update` makes of the failures under `key` (zero when there are none), in
    /// one transaction.
    void updateLoginFailures(const std::string& key,
                             const std::function<LoginFailures(LoginFailures)>& update);
    void clearLoginFailures(const std::string& key);

    /// A sign-in session, polled by the hash of its id and signed in through the hash of its
    /// login code.
    void addSession(const std::string& idHash, const std::string& loginCodeHash,
                    std::int64_t createdAt, std::int64_t expiresAt);
    /// When the session of a login code was asked for, while it is live and not signed in.
    [[nodiscard]] std::optional<std::int64_t> loginRequestedAt(const std::string& loginCodeHash,
                                                               std::int64_t now);
    /// Marks the live session of a login code as signed in by `email`, once; false when it is
    /// unknown, expired or already signed in.
    [[nodiscard]] bool signInSession(const std::string& loginCodeHash, const std::string& email,
                                     std::int64_t now);
    enum class SessionState { Unknown, Pending, SignedIn };
    [[nodiscard]] SessionState sessionState(const std::string& idHash, std::int64_t now);
    /// Consumes a signed-in session and stores `tokenHash` for its account in one transaction.
    [[nodiscard]] bool redeemSession(const std::string& idHash, const std::string& tokenHash,
                                     std::int64_t now);
    /// Forgets expired sessions, and failures older than `failureWindow` that lock nothing.
    void purgeExpired(std::int64_t now, std::int64_t failureWindow);

    /// The e-mail address that holds the token with this hash, when the token was issued
    /// after `issuedAfter`. Records `now` as its last use when the record is an hour old or
    /// missing, so that a busy token costs a disk sync an hour, not one a request.
    [[nodiscard]] std::optional<std::string> useToken(const std::string& tokenHash,
                                                      std::int64_t issuedAfter, std::int64_t now);
    /// Forgets every token of `email`; returns how many there were.
    std::int64_t revokeTokens(const std::string& email);
    [[nodiscard]] std::vector<TokenRecord> tokens();

    void addChat(const std::string& threadId, const std::string& assistantId,
                 const std::string& email, const std::string& content);
    /// The message a chat thread is about, when the thread exists and belongs to `email`.
    [[nodiscard]] std::optional<std::string> chatContent(const std::string& threadId,
                                                         const std::string& assistantId,
                                                         const std::string& email);
    void addChatTurn(const std::string& threadId, const std::string& question,
                     const std::string& answer);

    void addTrainingPair(const TrainingPair& pair);
    [[nodiscard]] std::vector<TrainingPair> trainingPairs();

private:
    void migrate(const std::filesystem::path& file);
    [[nodiscard]] LoginFailures readLoginFailures(const std::string& key);
    [[nodiscard]] int storedVersion();

    std::mutex mutex_;
    sqlite::Database db_;
    int schemaVersion_ = 0;
};

} // namespace backend
