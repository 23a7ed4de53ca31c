#pragma once

#include <QString>
#include <QUuid>
#include <optional>
#include <variant>
#include <vector>

/// One entry of a chat: a question of the user or an answer of the assistant.
struct Message {
    QUuid id;
    std::optional<QString> text;
    std::optional<QString> response;
    bool isSentByCurrentUser = false;

    [[nodiscard]] static Message question(const QString& text);
    [[nodiscard]] static Message answer(const QString& response);

    /// Entries are the same entry when their ids are, whatever they hold.
    bool operator==(const Message& other) const { return id == other.id; }
};

using Conversation = std::vector<Message>;

/// The stored form: a compact JSON array of objects with their members in declared order,
/// "text" and "response" only when present, the id in upper case.
[[nodiscard]] QByteArray encodeConversation(const Conversation& conversation);
/// `encoded`, the stored form of a conversation of at least one entry, with `message` added
/// at its end.
[[nodiscard]] QByteArray appendToEncoded(QByteArray encoded, const Message& message);
/// The conversation, or why the bytes are not one.
[[nodiscard]] std::variant<Conversation, QString> decodeConversation(const QByteArray& bytes);
