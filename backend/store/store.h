#pragma once

#include <cstddef>
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

/// The length of the days that storage is counted in, from midnight UTC.
constexpr std::int64_t storageDay = 86400;

/// A store that cannot be reached now, such as a database server that went away, a file that
/// another process keeps locked past the busy wait, or a full disk; the request may succeed
/// when tried again.
class StoreUnavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Accounts, sign-in sessions, token hashes, chats and training pairs. Every method but the
/// listings, which read a page a transaction, is one transaction, and is right when several
/// threads, or several processes sharing the store, call at once. Methods throw
/// StoreUnavailable when the store cannot be reached.
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
    /// Forgets expired sessions, failures older than `failureWindow` that lock nothing, tokens
    /// issued `tokenLifetime` or longer ago and the storage counts of days before today.
    virtual void purgeExpired(std::int64_t now, std::int64_t failureWindow,
                              std::int64_t tokenLifetime) = 0;

    /// The e-mail address that holds the token with this hash, when the token was issued
    /// after `issuedAfter`. Records `now` as its last use when the record is an hour old or
    /// missing, so that a busy token costs a disk sync an hour, not one a request.
    [[nodiscard]] virtual std::optional<std::string>
    useToken(const std::string& tokenHash, std::int64_t issuedAfter, std::int64_t now) = 0;
    /// Forgets every token of `email`; returns how many there were.
    virtual std::int64_t revokeTokens(const std::string& email) = 0;
    static constexpr std::size_t tokenPageRows = 256;
    /// Hands every token to `each`, by account and then age, reading `pageRows` at a time:
    /// memory holds one page, and other calls go on between pages, so that a token issued or
    /// revoked meanwhile may or may not be handed.
    void forEachToken(const std::function<void(const TokenRecord&)>& each,
                      std::size_t pageRows = tokenPageRows) {
        inPages<TokenRecord, TokenKey>(
            each, pageRows, [&](const auto& after) { return tokenPage(after, pageRows); });
    }

    virtual void addChat(const std::string& threadId, const std::string& assistantId,
                         const std::string& email, const std::string& content) = 0;
    /// The message a chat thread is about, when the thread exists and belongs to `email`.
    [[nodiscard]] virtual std::optional<std::string> chatContent(const std::string& threadId,
                                                                 const std::string& assistantId,
                                                                 const std::string& email) = 0;
    virtual void addChatTurn(const std::string& threadId, const std::string& question,
                             const std::string& answer) = 0;

    virtual void addTrainingPair(const TrainingPair& pair) = 0;

    /// Counts `bytes` more stored by `email` on the day (UTC) of `now`, unless that would take
    /// the day's count past `limit`; false, counting nothing, when it would.
    [[nodiscard]] bool chargeStorage(const std::string& email, std::int64_t now, std::int64_t bytes,
                                     std::int64_t limit) {
        return bytes <= limit && addToDay(email, now / storageDay, bytes, limit);
    }
    /// A pair may hold a mail of megabytes.
    static constexpr std::size_t trainingPairPageRows = 16;
    /// Hands every training pair to `each` in the order they came, reading `pageRows` at a
    /// time, as forEachToken does: a pair added meanwhile may or may not be handed.
    void forEachTrainingPair(const std::function<void(const TrainingPair&)>& each,
                             std::size_t pageRows = trainingPairPageRows) {
        inPages<TrainingPair, std::int64_t>(
            each, pageRows, [&](const auto& after) { return trainingPairPage(after, pageRows); });
    }

protected:
    /// Up to `rows` rows in the order of their keys, from after the key `after` or from the
    /// first, and the last one's key.
    template <class Row, class Key> struct Page {
        std::vector<Row> rows;
        Key last{};
    };
    /// A token's place in its listing; the hash tells apart tokens issued in the same second.
    struct TokenKey {
        std::string email;
        std::int64_t createdAt = 0;
        std::string hash;
    };
    [[nodiscard]] virtual Page<TokenRecord, TokenKey>
    tokenPage(const std::optional<TokenKey>& after, std::size_t rows) = 0;
    [[nodiscard]] virtual Page<TrainingPair, std::int64_t>
    trainingPairPage(std::optional<std::int64_t> after, std::size_t rows) = 0;
    /// Adds `bytes` to the count of `email` on `day` in one statement, unless the sum would pass
    /// `limit`; whether it added them.
    [[nodiscard]] virtual bool addToDay(const std::string& email, std::int64_t day,
                                        std::int64_t bytes, std::int64_t limit) = 0;

    /// Runs `select`, whose parameters are the page's length and then the key it starts after,
    /// and whose columns are email, created_at, token_hash and last_used_at.
    template <class Statement>
    [[nodiscard]] static Page<TokenRecord, TokenKey>
    readTokenPage(Statement select, const std::optional<TokenKey>& after, std::size_t rows) {
        select.bind(1, static_cast<std::int64_t>(rows));
        if (after) {
            select.bind(2, after->email).bind(3, after->createdAt).bind(4, after->hash);
        }
        Page<TokenRecord, TokenKey> page;
        while (select.step()) {
            page.last = {select.text(0), select.integer(1), select.text(2)};
            page.rows.push_back(
                {page.last.email, page.last.hash.substr(0, 12), page.last.createdAt,
                 select.isNull(3) ? std::nullopt : std::optional(select.integer(3))});
        }
        return page;
    }
    /// As readTokenPage, with the columns id, email, question, answer and created_at.
    template <class Statement>
    [[nodiscard]] static Page<TrainingPair, std::int64_t>
    readTrainingPairPage(Statement select, std::optional<std::int64_t> after, std::size_t rows) {
        select.bind(1, static_cast<std::int64_t>(rows));
        if (after) {
            select.bind(2, *after);
        }
        Page<TrainingPair, std::int64_t> page;
        while (select.step()) {
            page.rows.push_back(
                {select.text(1), select.text(2), select.text(3), select.integer(4)});
            page.last = select.integer(0);
        }
        return page;
    }

private:
    // Each page is read apart and handed on with no lock of the store's held.
    template <class Row, class Key, class Read>
    static void inPages(const std::function<void(const Row&)>& each, std::size_t pageRows,
                        const Read& read) {
        std::optional<Key> after;
        for (;;) {
            Page<Row, Key> page = read(after);
            for (const Row& row : page.rows) {
                each(row);
            }
            if (page.rows.empty() || page.rows.size() < pageRows) {
                return;
            }
            after = std::move(page.last);
        }
    }
};

/// How long a busy token waits between records of its last use.
constexpr std::int64_t lastUseGranularity = 3600;

} // namespace backend
