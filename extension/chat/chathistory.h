#pragma once

#include "chat/message.h"
#include "userdefaults.h"

#include <QString>
#include <optional>

/// The conversation about one message, kept in the defaults store under its own key.
class ChatHistory {
public:
    /// "reply " followed by the name the message's results go under.
    [[nodiscard]] static QString keyFor(const QString& storageId);

    ChatHistory(UserDefaults& defaults, QString key)
        : defaults_(defaults)
        , key_(std::move(key)) {}

    [[nodiscard]] const QString& key() const { return key_; }
    [[nodiscard]] const Conversation& messages() const { return messages_; }

    /// Replaces the list with the stored conversation, if there is a readable one; true then.
    /// An unreadable one is set aside under a key of its own before this history next writes.
    bool loadMessages();
    /// Adds an entry and writes the conversation at once. When the write fails the entry
    /// stays in the list and the stored conversation stays as it was; false then. Callers
    /// that share the key with other views reload first when changedElsewhere().
    bool append(Message message);
    /// Writes the whole list under the key; false when it could not be written (logged) or
    /// when another view of the message has stored a conversation since, which is kept.
    bool saveMessages();
    /// Whether the stored conversation is a readable one this history did not read or write.
    [[nodiscard]] bool changedElsewhere() const;

private:
    bool write();
    bool setAsideUnreadable();

    UserDefaults& defaults_;
    QString key_;
    Conversation messages_;
    // The stored form of `messages_`, grown entry by entry: a long conversation is written at
    // every change, and encoding it whole each time would cost time quadratic in its length.
    QByteArray encoded_ = QByteArrayLiteral("[]");
    std::optional<QByteArray> stored_;     // what this history last read or wrote
    std::optional<QByteArray> unreadable_; // a stored value it could not read, not yet set aside
};
