#pragma once

#include "connectionpool.h"
#include "store.h"

#include <cstddef>

namespace backend {

/// The store in a PostgreSQL database that several backend processes share. Each call holds
/// one pooled connection; what must not interleave across processes takes row locks.
class PostgresStore final : public Store {
public:
    /// Connects and brings the schema up to date in one transaction, which other processes
    /// starting at once wait for, or only reads it when it is up to date; throws when the
    /// database is newer than this program.
    PostgresStore(const std::string& url, std::size_t connections);

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

    template <class Work> auto withConnection(Work&& work);
    void migrate();

    ConnectionPool pool_;
    int schemaVersion_ = 0;
};

} // namespace backend
