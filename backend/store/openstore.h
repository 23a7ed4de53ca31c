#pragma once

#include "store.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>

namespace backend {

/// Where the backend keeps its data: in the PostgreSQL database at `postgresUrl`, or, when that
/// is empty, in one SQLite file in the data folder.
struct StoreLocation {
    std::filesystem::path dataFolder;
    std::string postgresUrl;
    /// The most connections one process holds to the database.
    std::size_t connections = 8;
};

/// Opens the store and brings its schema up to date; throws when it cannot.
[[nodiscard]] std::unique_ptr<Store> openStore(const StoreLocation& location);

/// Whether there is a store to open: the data folder's file exists, or a database is named (its
/// server says whether it exists).
[[nodiscard]] bool storeExists(const StoreLocation& location);

/// The store's place for messages; never the URL, which may carry a password.
[[nodiscard]] std::string storeName(const StoreLocation& location);

} // namespace backend
