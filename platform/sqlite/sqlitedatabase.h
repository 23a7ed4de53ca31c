#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <string_view>

namespace sqlite {

/// A failed SQLite call, with SQLite's own message and result code.
class Error : public std::runtime_error {
public:
    Error(int code, const std::string& message)
        : std::runtime_error(message)
        , code_(code) {}
    [[nodiscard]] int code() const { return code_; }

private:
    int code_;
};

class Database;

/// One prepared statement; parameters are numbered from 1, columns from 0.
class Statement {
public:
    Statement(Database& db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&&) = delete;

    Statement& bind(int index, std::string_view text);
    /// `data` must stay valid until the statement is reset.
    Statement& bindBlob(int index, const void* data, std::size_t size);
    Statement& bind(int index, std::int64_t value);

    /// Advances to the next row; false once the statement is done.
    bool step();
    /// Runs a statement that yields no rows, then makes it reusable.
    void run();
    void reset();

    [[nodiscard]] bool isNull(int column) const;
    [[nodiscard]] std::string text(int column) const;
    /// Valid until the next step or reset.
    [[nodiscard]] std::span<const std::uint8_t> blob(int column) const;
    [[nodiscard]] std::int64_t integer(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

enum class OpenMode { ReadWriteCreate, ReadOnly };

struct OpenOptions {
    OpenMode mode = OpenMode::ReadWriteCreate;
    /// How long a statement waits for another connection's lock before it fails.
    std::chrono::milliseconds busyTimeout{5000};
};

/// An open SQLite connection, closed when destroyed.
class Database {
public:
    explicit Database(const std::filesystem::path& path, const OpenOptions& options = {});
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void exec(std::string_view sql);
    [[nodiscard]] Statement prepare(std::string_view sql) { return Statement(*this, sql); }
    [[nodiscard]] std::int64_t changes() const;
    [[nodiscard]] std::int64_t lastInsertRowId() const;
    [[nodiscard]] sqlite3* handle() const { return db_; }

    /// Throws when `code` is not a success code of SQLite.
    void check(int code) const;

private:
    sqlite3* db_ = nullptr;
};

/// Runs its body inside BEGIN IMMEDIATE ... COMMIT, rolling back when an exception leaves it.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Database& db_;
    bool done_ = false;
};

} // namespace sqlite
