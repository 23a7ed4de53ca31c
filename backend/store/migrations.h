#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace backend {

/// One step of the backend's schema: statements that take the schema from version - 1 to
/// version, written in SQLite's SQL; migrationSql gives them in the other dialect.
struct Migration {
    int version;
    std::string_view sql;
};

/// Every step, oldest first; versions count up from 1 without gaps.
[[nodiscard]] const std::vector<Migration>& migrations();

enum class Dialect { Sqlite, Postgresql };

/// A step's statements as `dialect` reads them.
[[nodiscard]] std::string migrationSql(const Migration& step, Dialect dialect);

/// Runs, through `exec`, every step after `stored` and returns the version reached; throws,
/// running nothing, when `stored` is newer than this program. `storeName` says where in the
/// message.
[[nodiscard]] int migrateFrom(int stored, Dialect dialect, const std::string& storeName,
                              const std::function<void(const std::string&)>& exec);

} // namespace backend
