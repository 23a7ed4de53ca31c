#include "openstore.h"

#include "postgresstore.h"
#include "sqlitestore.h"

namespace backend {
namespace {

std::filesystem::path sqliteFile(const StoreLocation& location) {
    return location.dataFolder / "backend.sqlite";
}

} // namespace

std::unique_ptr<Store> openStore(const StoreLocation& location) {
    if (!location.postgresUrl.empty()) {
        return std::make_unique<PostgresStore>(location.postgresUrl, location.connections);
    }
    return std::make_unique<SqliteStore>(sqliteFile(location));
}

bool storeExists(const StoreLocation& location) {
    return !location.postgresUrl.empty() || std::filesystem::exists(sqliteFile(location));
}

std::string storeName(const StoreLocation& location) {
    return location.postgresUrl.empty() ? sqliteFile(location).string() : "the PostgreSQL database";
}

} // namespace backend
