#pragma once

#include <cstdint>
#include <libpq-fe.h>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pg {

/// A failed libpq call, with the server's message and SQLSTATE when it sent one.
class Error : public std::runtime_error {
public:
    Error(const std::string& message, std::string sqlState)
        : std::runtime_error(message)
        , sqlState_(std::move(sqlState)) {}
    [[nodiscard]] const std::string& sqlState() const { return sqlState_; }

private:
    std::string sqlState_;
};

/// The connection failed or was closed: the server went away, restarts or refuses new
/// sessions. The connection is of no further use.
class ConnectionLost : public Error {
public:
    using Error::Error;
};

class Connection;

/// One statement, prepared on its connection the first time its text is run there and reused
/// after; parameters are numbered from 1 ($1, $2, ...), columns from 0. Values travel as text.
class Statement {
public:
    Statement(Connection& connection, std::string_view sql);

    Statement& bind(int index, std::string_view text);
    Statement& bind(int index, std::int64_t value);

    /// Runs the statement on the first call; advances to the next row, false after the last.
    bool step();
    /// Runs a statement and gives how many rows it changed.
    std::int64_t run();

    [[nodiscard]] bool isNull(int column) const;
    [[nodiscard]] std::string text(int column) const;
    [[nodiscard]] std::int64_t integer(int column) const;

private:
    void execute();

    Connection& connection_;
    const std::string& name_;
    std::vector<std::optional<std::string>> parameters_;
    std::unique_ptr<PGresult, void (*)(PGresult*)> result_{nullptr, PQclear};
    int row_ = -1;
};

/// An open connection to a PostgreSQL server, closed when destroyed. One thread at a time.
class Connection {
public:
    /// Connects to `url` (a postgresql:// URL or key=value text); throws ConnectionLost when the
    /// server cannot be reached, Error when the URL is malformed. Neither message holds the URL.
    explicit Connection(const std::string& url);

    /// Runs statements that take no parameters, such as a schema step.
    void exec(std::string_view sql);
    [[nodiscard]] Statement prepare(std::string_view sql) { return Statement(*this, sql); }
    [[nodiscard]] PGconn* handle() const { return connection_.get(); }

    /// The name of `sql` prepared on this connection, preparing it on first use.
    [[nodiscard]] const std::string& prepared(std::string_view sql);
    /// Takes a result's ownership; throws what the result or the connection says went wrong.
    std::unique_ptr<PGresult, void (*)(PGresult*)> check(PGresult* result);

private:
    std::unique_ptr<PGconn, void (*)(PGconn*)> connection_;
    std::unordered_map<std::string, std::string> prepared_;
};

/// Runs its body inside BEGIN ... COMMIT, rolling back when an exception leaves it.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Connection& connection_;
    bool done_ = false;
};

} // namespace pg
