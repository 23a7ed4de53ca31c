#pragma once

#include <string_view>
#include <vector>

namespace backend {

/// One step of the backend's schema: statements that take the schema from version - 1 to
/// version. Plain SQL that SQLite and PostgreSQL both read.
struct Migration {
    int version;
    std::string_view sql;
};

/// Every step, oldest first; versions count up from 1 without gaps.
[[nodiscard]] const std::vector<Migration>& migrations();

} // namespace backend
