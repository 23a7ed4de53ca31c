#include "openstore.h"

#include "postgresstore.h"
#include "sqlitestore.h"

namespace backend {

std::unique_ptr<Store> openStore(const StoreLocation& location) {
    if (!location.postgresUrl.empty()) {
        return std::make_unique<PostgresStore>(location.postgresUrl, location.connections);
    }
    return std::make_unique<SqliteStore>(location.dataFolder / "backend.sqlite");
}

std::string storeName(const StoreLocation& location) {
    return location.postgresUrl.empty() ? (location.dataFolder / "backend.sqlite").string()
                                        : "the PostgreSQL database";
}

} // namespace backend
