#pragma once

#include "sqlitedatabase.h"

#include <QDateTime>
#include <filesystem>
#include <vector>

/// The container application's items: time stamps in one SQLite file.
class ItemStore {
public:
    struct Item {
        std::int64_t id = 0;
        QDateTime timestamp;
    };

    /// Opens the store in `folder`, creating both when needed; throws std::runtime_error with
    /// the reason when it cannot.
    explicit ItemStore(const std::filesystem::path& folder);

    /// Every item, in the store's order.
    [[nodiscard]] std::vector<Item> items();
    Item add(const QDateTime& timestamp);
    /// Deletes all of them or, when a write fails, none.
    void remove(const std::vector<std::int64_t>& ids);

private:
    sqlite::Database db_;
};
