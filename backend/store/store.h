#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
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

/// A store that cannot be reached now, such as a database server that went away; the request
/// may succeed when tried again.
class StoreUnavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Accounts, sign-in sessions, token hashes, chats and training pairs. Every method is one
/// transaction, and is right when several threads, or several processes sharing the store, call
/// at once. Methods throw StoreUnavailable when the store cannot be reached.
class Store {
public:
    virtual ~Store() = default;

    /// The schema version the store is at, which is the newest this program knows.
    [[nodiscard]] virtual int schemaVersion() const = 0;

    virtual void addAccount(const Account& account) = 0;
    /// The account stored under `email`, else the one account whose address differs from it in
    /// ASCII letter case alone: people type their address in any case, and stored rows keep
    /// theirs. None when several differ so.
    [[nodiscard]] virtual std::optional<Account> account(const std::string& email) = 0;
    /// Replaces the password hash record, as when it is made again at a higher cost.
    virtual void setPasswordHash(const std::string& email, const std::string& passwordHash) = 0;

    [[nodiscard]] virtual LoginFailures loginFailures(const std::string& key) = 0;
    /// Stores what `update` makes of the failures under `key` (zero when there are none), in
    /// one transaction that no other update of `key` interleaves with.
    virtual void updateLoginFailures(const std::string& key,
                                     const std::function<LoginFailures(LoginFailures)>& update) = 0;
    virtual void clearLoginFailures(const std::string& key) = 0;

    /// A sign-in session, polled by the hash of its id and signed in through the hash of its
    /// login code.
    virtual void addSession(const std::string& idHash, const std::string& loginCodeHash,
                            std::int64_t createdAt, std::int64_t expiresAt) = 0;
    /// When the session of a login code was asked for, while it is live and not signed in.
    [[nodiscard]] virtual std::optional<std::int64_t>
    loginRequestedAt(const std::string& loginCodeHash, std::int64_t now) = 0;
    /// Marks the live session of a login code as signed in by `email`, once; false when it is
    /// unknown, expired or already signed in.
    [[nodiscard]] virtual bool signInSession(const std::string& loginCodeHash,
                                             const std::string& email, std::int64_t now) = 0;
    enum class SessionState { Unknown, Pending, SignedIn };
    [[nodiscard]] virtual SessionState sessionState(const std::string& idHash,
                                                    std::int64_t now) = 0;
    /// Consumes a signed-in session and stores `tokenHash` for its account in one transaction;
    /// of several calls for one session, one alone returns true.
    [[nodiscard]] virtual bool redeemSession(const std::string& idHash,
                                             const std::string& tokenHash, std::int64_t now) = 0;
    /// Forgets expired sessions, failures older than `failureWindow` that lock nothing, and
    /// tokens issued `tokenLifetime` or longer ago.
    virtual void purgeExpired(std::int64_t now, std::int64_t failureWindow,
                              std::int64_t tokenLifetime) = 0;

    /// The e-mail address that holds the token with this hash, when the token was issued
    /// after `issuedAfter`. Records `now` as its last use when the record is an hour old or
    /// missing, so that a busy token costs a disk sync an hour, not one a request.
    [[nodiscard]] virtual std::optional<std::string>
    useToken(const std::string& tokenHash, std::int64_t issuedAfter, std::int64_t now) = 0;
    /// Forgets every token of `email`; returns how many there were.
    virtual std::int64_t revokeTokens(const std::string& email) = 0;
    [[nodiscard]] virtual std::vector<TokenRecord> tokens() = 0;

    virtual void addChat(const std::string& threadId, const std::string& assistantId,
                         const std::string& email, const std::string& content) = 0;
    /// The message a chat thread is about, when the thread exists and belongs to `email`.
    [[nodiscard]] virtual std::optional<std::string> chatContent(const std::string& threadId,
                                                                 const std::string& assistantId,
                                                                 const std::string& email) = 0;
    virtual void addChatTurn(const std::string& threadId, const std::string& question,
                             const std::string& answer) = 0;

    virtual void addTrainingPair(const TrainingPair& pair) = 0;
    [[nodiscard]] virtual std::vector<TrainingPair> trainingPairs() = 0;
};

/// How long a busy token waits between records of its last use.
constexpr std::int64_t lastUseGranularity = 3600;

} // namespace backend
