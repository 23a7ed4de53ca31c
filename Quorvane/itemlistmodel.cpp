#include "itemlistmodel.h"

#include "itemtime.h"

#include <algorithm>

ItemListModel::ItemListModel(ItemStore& store, Clock now, QObject* parent)
    : QAbstractListModel(parent)
    , store_(store)
    , now_(std::move(now))
    , items_(store.items()) {}

int ItemListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(items_.size());
}

QVariant ItemListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    const ItemStore::Item& item = items_[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case LabelRole:
        return itemTimeText(item.timestamp);
    case SelectedRole:
        return chosen_.contains(item.id);
    default:
        return {};
    }
}

QHash<int, QByteArray> ItemListModel::roleNames() const {
    return {{LabelRole, "label"}, {SelectedRole, "selected"}};
}

QString ItemListModel::detailText() const {
    const auto shown = std::ranges::find(items_, shown_, &ItemStore::Item::id);
    if (shown == items_.end()) {
        return QStringLiteral("Select an item");
    }
    return QStringLiteral("Item at ") + itemTimeText(shown->timestamp);
}

void ItemListModel::addItem() {
    ItemStore::Item item;
    try {
        item = store_.add(now_());
    } catch (const sqlite::Error& error) {
        qWarning("Could not add an item: %s", error.what());
        return;
    }
    const auto row = static_cast<int>(items_.size());
    beginInsertRows({}, row, row);
    items_.push_back(item);
    endInsertRows();
}

void ItemListModel::choose(int row, bool extend) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    const std::int64_t id = items_[static_cast<std::size_t>(row)].id;
    if (!extend) {
        chosen_ = {id};
    } else if (!chosen_.erase(id)) {
        chosen_.insert(id);
    }
    emit dataChanged(index(0), index(rowCount() - 1), {SelectedRole});
    setShown(chosen_.contains(id) ? std::optional(id) : std::nullopt);
}

void ItemListModel::deleteChosen() {
    QList<int> rows;
    for (int row = 0; row < rowCount(); ++row) {
        if (chosen_.contains(items_[static_cast<std::size_t>(row)].id)) {
            rows.append(row);
        }
    }
    deleteRows(rows);
}

void ItemListModel::deleteRows(QList<int> rows) {
    rows.removeIf([this](int row) { return row < 0 || row >= rowCount(); });
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::vector<std::int64_t> ids;
    for (const int row : rows) {
        ids.push_back(items_[static_cast<std::size_t>(row)].id);
    }
    if (ids.empty()) {
        return;
    }
    try {
        store_.remove(ids);
    } catch (const sqlite::Error& error) {
        qWarning("Could not delete items: %s", error.what());
        return;
    }
    // From the last row back, so that the rows still to go keep their numbers.
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        beginRemoveRows({}, *row, *row);
        const auto at = items_.begin() + *row;
        chosen_.erase(at->id);
        items_.erase(at);
        endRemoveRows();
    }
    if (shown_ && std::ranges::find(ids, *shown_) != ids.end()) {
        setShown(std::nullopt);
    }
}

void ItemListModel::setShown(std::optional<std::int64_t> id) {
    if (shown_ == id) {
        return;
    }
    shown_ = id;
    emit detailTextChanged();
}
