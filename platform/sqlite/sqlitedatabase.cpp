#include "sqlitedatabase.h"

#include <cerrno>
#include <cstring>

namespace sqlite {
namespace {

bool failed(int code) {
    return code != SQLITE_OK && code != SQLITE_ROW && code != SQLITE_DONE;
}

// SQLite says "disk I/O error" for a full disk, a file size limit and a failing drive alike;
// the system's reason tells an administrator which. Failures to open keep SQLite's words,
// which callers show as they are. SQLite keeps it only for some calls, so
// `callErrno` is errno as the failed call left it (cleared before the call).
std::string describe(sqlite3* db, int code, int callErrno = 0) {
    std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    const int primary = code & 0xff;
    const int system = db && sqlite3_system_errno(db) != 0 ? sqlite3_system_errno(db) : callErrno;
    if (system != 0 && (primary == SQLITE_IOERR || primary == SQLITE_FULL)) {
        message += std::string(" (") + std::strerror(system) + ")";
    }
    return message;
}

} // namespace

Database::Database(const std::filesystem::path& path, const OpenOptions& options) {
    const int flags = options.mode == OpenMode::ReadOnly
                          ? SQLITE_OPEN_READONLY
                          : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    errno = 0;
    const int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = describe(db_, rc, errno);
        sqlite3_close(db_);
        db_ = nullptr;
        throw Error(rc, message + ": " + path.string());
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, static_cast<int>(options.busyTimeout.count()));
}

Database::~Database() {
    sqlite3_close(db_);
}

void Database::check(int code) const {
    if (failed(code)) {
        throw Error(code, describe(db_, code));
    }
}

void Database::exec(std::string_view sql) {
    errno = 0;
    const int rc = sqlite3_exec(db_, std::string(sql).c_str(), nullptr, nullptr, nullptr);
    if (failed(rc)) {
        throw Error(rc, describe(db_, rc, errno));
    }
}

std::int64_t Database::changes() const {
    return sqlite3_changes64(db_);
}

std::int64_t Database::lastInsertRowId() const {
    return sqlite3_last_insert_rowid(db_);
}

Statement::Statement(Database& db, std::string_view sql)
    : db_(db.handle()) {
    db.check(sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr));
}

Statement::Statement(Statement&& other) noexcept
    : db_(other.db_)
    , stmt_(other.stmt_) {
    other.stmt_ = nullptr;
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

static void checkBind(sqlite3* db, int code) {
    if (code != SQLITE_OK) {
        throw Error(code, sqlite3_errmsg(db));
    }
}

Statement& Statement::bind(int index, std::string_view text) {
    checkBind(db_, sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT,
                                       SQLITE_UTF8));
    return *this;
}

Statement& Statement::bindBlob(int index, const void* data, std::size_t size) {
    // A zero-length blob must stay a blob, not turn into NULL. Not copied: a copy of a large
    // value, freed at the top of the heap, made every write shrink and regrow it.
    checkBind(db_, size == 0 ? sqlite3_bind_zeroblob(stmt_, index, 0)
                             : sqlite3_bind_blob64(stmt_, index, data, size, SQLITE_STATIC));
    return *this;
}

Statement& Statement::bind(int index, std::int64_t value) {
    checkBind(db_, sqlite3_bind_int64(stmt_, index, value));
    return *this;
}

bool Statement::step() {
    errno = 0;
    const int rc = sqlite3_step(stmt_);
    const int callErrno = errno;
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        return false;
    }
    sqlite3_reset(stmt_);
    throw Error(rc, describe(db_, rc, callErrno));
}

void Statement::run() {
    while (step()) {
    }
    reset();
}

void Statement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

bool Statement::isNull(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

std::string Statement::text(int column) const {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return data ? std::string(data, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
                : std::string();
}

std::span<const std::uint8_t> Statement::blob(int column) const {
    const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, column));
    return {data, data ? static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)) : 0};
}

std::int64_t Statement::integer(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

Transaction::Transaction(Database& db)
    : db_(db) {
    db_.exec("BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
    if (!done_) {
        sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void Transaction::commit() {
    db_.exec("COMMIT");
    done_ = true;
}

} // namespace sqlite
