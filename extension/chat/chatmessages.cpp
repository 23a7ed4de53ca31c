#include "chat/chatmessages.h"

#include "stores/optionaltext.h"

ChatMessages::ChatMessages(UserDefaults& defaults, QString key, QObject* parent)
    : QAbstractListModel(parent)
    , history_(defaults, std::move(key)) {}

void ChatMessages::load() {
    // When nothing could be read the reset only rebuilds the same rows.
    beginResetModel();
    (void)history_.loadMessages();
    endResetModel();
}

void ChatMessages::append(Message message) {
    if (history_.changedElsewhere()) {
        load(); // another view of this message went on with the chat: continue from there
    }
    const int row = rowCount();
    beginInsertRows({}, row, row);
    // A failed write is logged by the store; the entry stays on screen either way.
    (void)history_.append(std::move(message));
    endInsertRows();
}

void ChatMessages::save() {
    (void)history_.saveMessages();
}

int ChatMessages::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(history_.messages().size());
}

QVariant ChatMessages::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const Message& message = history_.messages()[static_cast<std::size_t>(index.row())];
    switch (role) {
    case IdRole:
        return message.id.toString(QUuid::WithoutBraces).toUpper();
    case TextRole:
        return optionalTextValue(message.text);
    case ResponseRole:
        return optionalTextValue(message.response);
    case IsSentByCurrentUserRole:
        return message.isSentByCurrentUser;
    default:
        return {};
    }
}

QHash<int, QByteArray> ChatMessages::roleNames() const {
    return {{IdRole, "id"},
            {TextRole, "text"},
            {ResponseRole, "response"},
            {IsSentByCurrentUserRole, "isSentByCurrentUser"}};
}
