#include "itemstore.h"

#include <system_error>

namespace {

std::filesystem::path storeFile(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        throw std::runtime_error("cannot create the folder " + folder.string() + ": " +
                                 error.message());
    }
    return folder / "items.sqlite";
}

} // namespace

ItemStore::ItemStore(const std::filesystem::path& folder)
    : db_(storeFile(folder)) {
    db_.exec("PRAGMA journal_mode=WAL");
    db_.exec("PRAGMA synchronous=FULL");
    db_.exec("CREATE TABLE IF NOT EXISTS item ("
             " id INTEGER PRIMARY KEY,"
             " timestamp_ms INTEGER NOT NULL)");
}

std::vector<ItemStore::Item> ItemStore::items() {
    std::vector<Item> all;
    sqlite::Statement select = db_.prepare("SELECT id, timestamp_ms FROM item ORDER BY id");
    while (select.step()) {
        all.push_back({select.integer(0), QDateTime::fromMSecsSinceEpoch(select.integer(1))});
    }
    return all;
}

ItemStore::Item ItemStore::add(const QDateTime& timestamp) {
    db_.prepare("INSERT INTO item (timestamp_ms) VALUES (?)")
        .bind(1, static_cast<std::int64_t>(timestamp.toMSecsSinceEpoch()))
        .run();
    return {db_.lastInsertRowId(), timestamp};
}

void ItemStore::remove(const std::vector<std::int64_t>& ids) {
    sqlite::Transaction transaction(db_);
    sqlite::Statement remove = db_.prepare("DELETE FROM item WHERE id = ?");
    for (const std::int64_t id : ids) {
        remove.bind(1, id).run();
    }
    transaction.commit();
}
