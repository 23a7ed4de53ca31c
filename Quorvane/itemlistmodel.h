#pragma once

#include "itemstore.h"

#include <QAbstractListModel>
#include <QQmlEngine>
#include <functional>
#include <set>

/// The sidebar's rows over the item store, with the rows chosen in it and the detail text.
class ItemListModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The application makes the model over its store.")
    Q_PROPERTY(QString detailText READ detailText NOTIFY detailTextChanged)

public:
    enum Role { LabelRole = Qt::UserRole + 1, SelectedRole };
    using Clock = std::function<QDateTime()>;

    explicit ItemListModel(ItemStore& store, Clock now = &QDateTime::currentDateTime,
                           QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QHash<int, QByteArray> roleNames() const override;

    /// "Select an item" until a row is chosen, then "Item at " and its time.
    [[nodiscard]] QString detailText() const;

    /// Adds an item stamped with the current time. A failed write leaves the list as it was.
    Q_INVOKABLE void addItem();
    /// Chooses `row` alone, or with `extend` adds it to the chosen rows or takes it out.
    Q_INVOKABLE void choose(int row, bool extend);
    /// Deletes the chosen rows.
    Q_INVOKABLE void deleteChosen();
    /// Deletes the items of `rows` in one write, or none when the write fails.
    void deleteRows(QList<int> rows);

signals:
    void detailTextChanged();

private:
    void setShown(std::optional<std::int64_t> id);

    ItemStore& store_;
    Clock now_;
    std::vector<ItemStore::Item> items_;
    std::set<std::int64_t> chosen_;
    std::optional<std::int64_t> shown_;
};
