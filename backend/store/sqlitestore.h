#pragma once

#include "sqlitedatabase.h"
#include "store.h"

#include <absl/container/node_hash_map.h>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>

namespace backend {

/// The store in one SQLite file, for one machine: calls from several threads are serialised,
/// and processes sharing the file take turns through SQLite's write lock.
class SqliteStore final : public Store {
public:
    /// Opens or makes the file and brings its schema up to date in one transaction, or only
    /// reads it when it is up to date; throws when the file is newer than this program. Each
    /// call waits up to `busyTimeout` for another process's lock on the file.
    explicit SqliteStore(const std::filesystem::path& file,
                         std::chrono::milliseconds busyTimeout = sqlite::OpenOptions{}.busyTimeout);

    [[nodiscard]] int schemaVersion() const override { return schemaVersion_; }

    void addAccount(const Account& account) override;
    [[nodiscard]] std::optional<Account> account(const std::string& email) override;
    void setPasswordHash(const std::string& email, const std::string& passwordHash) override;

    [[nodiscard]] LoginFailures loginFailures(const std::string& key) override;
    void updateLoginFailures(const std::string& key,
                             const std::function<LoginFailures(LoginFailures)>& update) override;
    void clearLoginFailures(const std::string& key) override;

    void addSession(const std::string& idHash, const std::string& loginCodeHash,
                    std::int64_t createdAt, std::int64_t expiresAt) override;
    [[nodiscard]] std::optional<std::int64_t> loginRequestedAt(const std::string& loginCodeHash,
                                                               std::int64_t now) override;
    [[nodiscard]] bool signInSession(const std::string& loginCodeHash, const std::string& email,
                                     std::int64_t now) override;
    [[nodiscard]] SessionState sessionState(const std::string& idHash, std::int64_t now) override;
    [[nodiscard]] bool redeemSession(const std::string& idHash, const std::string& tokenHash,
                                     std::int64_t now) override;
    void purgeExpired(std::int64_t now, std::int64_t failureWindow,
                      std::int64_t tokenLifetime) override;

    [[nodiscard]] std::optional<std::string>
    useToken(const std::string& tokenHash, std::int64_t issuedAfter, std::int64_t now) override;
    std::int64_t revokeTokens(const std::string& email) override;

    void addChat(const std::string& threadId, const std::string& assistantId,
                 const std::string& email, const std::string& content) override;
    [[nodiscard]] std::optional<std::string> chatContent(const std::string& threadId,
                                                         const std::string& assistantId,
                                                         const std::string& email) override;
    void addChatTurn(const std::string& threadId, const std::string& question,
                     const std::string& answer) override;

    void addTrainingPair(const TrainingPair& pair) override;

private:
    [[nodiscard]] Page<TokenRecord, TokenKey> tokenPage(const std::optional<TokenKey>& after,
                                                        std::size_t rows) override;
    [[nodiscard]] Page<TrainingPair, std::int64_t>
    trainingPairPage(std::optional<std::int64_t> after, std::size_t rows) override;
    [[nodiscard]] bool addToDay(const std::string& email, std::int64_t day, std::int64_t bytes,
                                std::int64_t limit) override;

    /// Runs `work` under the lock; what another process or the disk makes fail for now is
    /// thrown as StoreUnavailable.
    template <class Work> auto locked(Work&& work);
    void migrate(const std::filesystem::path& file);
    [[nodiscard]] LoginFailures readLoginFailures(const std::string& key);
    [[nodiscard]] std::optional<int> storedVersion();
    [[nodiscard]] int countedVersion();
    /// `sql` prepared on its first use and kept: for what every authorised request runs. Callers
    /// reset it however their use ends, so that no read stays open on the file and the next use
    /// can bind.
    [[nodiscard]] sqlite::Statement& reused(std::string_view sql);

    std::mutex mutex_;
    sqlite::Database db_;
    int schemaVersion_ = 0;
    // By their text, looked up without a copy of it; a node each, so that one statement stays
    // where it is while another is added.
    absl::node_hash_map<std::string, sqlite::Statement> reused_;
};

} // namespace backend
