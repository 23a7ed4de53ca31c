#pragma once

#include "chat/chathistory.h"

#include <QAbstractListModel>
#include <QtQml/qqmlregistration.h>

/// A chat's conversation as the list view reads it, one row per entry, stored as it grows.
class ChatMessages : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Each chat view state has its own.")

public:
    enum Role { IdRole = Qt::UserRole + 1, TextRole, ResponseRole, IsSentByCurrentUserRole };

    ChatMessages(UserDefaults& defaults, QString key, QObject* parent);

    [[nodiscard]] const ChatHistory& history() const { return history_; }
    [[nodiscard]] const Conversation& entries() const { return history_.messages(); }

    /// Shows the stored conversation instead, when one can be read.
    void load();
    /// Adds the entry and stores the whole conversation.
    void append(Message message);
    void save();

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QHash<int, QByteArray> roleNames() const override;

private:
    ChatHistory history_;
};
