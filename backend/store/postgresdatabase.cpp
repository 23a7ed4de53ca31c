#include "postgresdatabase.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace pg {
namespace {

std::string trimmed(const char* message) {
    std::string text = message != nullptr ? message : "";
    // One log line, though libpq adds hints on lines of their own.
    std::ranges::replace_if(
        text, [](char c) { return c == '\n' || c == '\t'; }, ' ');
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text.empty() ? "unknown PostgreSQL error" : text;
}

// Class 08 is a connection exception; 57P01 to 57P03 are a shutdown, a crash and a server not
// yet taking connections.
bool meansLost(const std::string& state) {
    return state.starts_with("08") || state == "57P01" || state == "57P02" || state == "57P03";
}

} // namespace

Connection::Connection(const std::string& url)
    : connection_(nullptr, PQfinish) {
    // Parsed apart first, so that a malformed URL is told from a server that is away.
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(url.c_str(), &error);
    if (options == nullptr) {
        PQfreemem(error);
        throw Error("the store URL is not a valid PostgreSQL connection URL", "");
    }
    PQconninfoFree(options);
    // Given first, so that the URL's own settings win.
    const std::array<const char*, 4> keys = {"connect_timeout", "application_name", "dbname",
                                             nullptr};
    const std::array<const char*, 4> values = {"5", "quorvane-backend", url.c_str(), nullptr};
    connection_.reset(PQconnectdbParams(keys.data(), values.data(), 1));
    if (!connection_) {
        throw ConnectionLost("cannot allocate a PostgreSQL connection", "");
    }
    if (PQstatus(connection_.get()) != CONNECTION_OK) {
        throw ConnectionLost(trimmed(PQerrorMessage(connection_.get())), "");
    }
    exec("SET client_min_messages = warning");
}

void Connection::exec(std::string_view sql) {
    check(PQexec(connection_.get(), std::string(sql).c_str()));
}

const std::string& Connection::prepared(std::string_view sql) {
    const auto found = prepared_.find(std::string(sql));
    if (found != prepared_.end()) {
        return found->second;
    }
    std::string name = "q";
    name += std::to_string(prepared_.size());
    const std::string text(sql);
    check(PQprepare(connection_.get(), name.c_str(), text.c_str(), 0, nullptr));
    return prepared_.emplace(text, std::move(name)).first->second;
}

std::unique_ptr<PGresult, void (*)(PGresult*)> Connection::check(PGresult* raw) {
    std::unique_ptr<PGresult, void (*)(PGresult*)> result(raw, PQclear);
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) {
        return result;
    }
    const char* state = result ? PQresultErrorField(result.get(), PG_DIAG_SQLSTATE) : nullptr;
    const std::string sqlState = state != nullptr ? state : "";
    const std::string message =
        trimmed(result ? PQresultErrorMessage(result.get()) : PQerrorMessage(connection_.get()));
    if (PQstatus(connection_.get()) != CONNECTION_OK || meansLost(sqlState)) {
        throw ConnectionLost(message, sqlState);
    }
    throw Error(message, sqlState);
}

Statement::Statement(Connection& connection, std::string_view sql)
    : connection_(connection)
    , name_(connection.prepared(sql)) {}

Statement& Statement::bind(int index, std::string_view text) {
    if (parameters_.size() < static_cast<std::size_t>(index)) {
        parameters_.resize(static_cast<std::size_t>(index));
    }
    parameters_[static_cast<std::size_t>(index) - 1] = std::string(text);
    return *this;
}

Statement& Statement::bind(int index, std::int64_t value) {
    return bind(index, std::to_string(value));
}

void Statement::execute() {
    std::vector<const char*> values;
    for (const auto& parameter : parameters_) {
        values.push_back(parameter ? parameter->c_str() : nullptr);
    }
    result_ = connection_.check(PQexecPrepared(connection_.handle(), name_.c_str(),
                                               static_cast<int>(values.size()), values.data(),
                                               nullptr, nullptr, 0));
}

bool Statement::step() {
    if (!result_) {
        execute();
    }
    return ++row_ < PQntuples(result_.get());
}

std::int64_t Statement::run() {
    execute();
    const char* changed = PQcmdTuples(result_.get());
    std::int64_t count = 0;
    std::from_chars(changed, changed + std::char_traits<char>::length(changed), count);
    return count;
}

bool Statement::isNull(int column) const {
    return PQgetisnull(result_.get(), row_, column) != 0;
}

std::string Statement::text(int column) const {
    return {PQgetvalue(result_.get(), row_, column),
            static_cast<std::size_t>(PQgetlength(result_.get(), row_, column))};
}

std::int64_t Statement::integer(int column) const {
    const std::string value = text(column);
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error != std::errc() || end != value.data() + value.size()) {
        std::string message = "not an integer in column ";
        message += std::to_string(column);
        throw Error(message, "");
    }
    return number;
}

Transaction::Transaction(Connection& connection)
    : connection_(connection) {
    connection_.exec("BEGIN");
}

Transaction::~Transaction() {
    if (!done_) {
        // A lost connection has rolled back already; nothing may leave a destructor.
        PQclear(PQexec(connection_.handle(), "ROLLBACK"));
    }
}

void Transaction::commit() {
    connection_.exec("COMMIT");
    done_ = true;
}

} // namespace pg
