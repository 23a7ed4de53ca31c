#include "message.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

// Qt's JSON is used here rather than the wire library: a long history is written at every
// change, and Qt encodes and parses it several times faster. Readers look members up by
// name, so the order in which Qt writes them does not matter.

namespace {

QJsonObject toJson(const Message& message) {
    QJsonObject object;
    object.insert(QLatin1String("id"), message.id.toString(QUuid::WithoutBraces).toUpper());
    if (message.text) {
        object.insert(QLatin1String("text"), *message.text);
    }
    if (message.response) {
        object.insert(QLatin1String("response"), *message.response);
    }
    object.insert(QLatin1String("isSentByCurrentUser"), message.isSentByCurrentUser);
    return object;
}

/// Why entry `index` cannot be read.
struct EntryError {
    QString reason;
};

std::optional<QString> optionalText(const QJsonObject& object, QLatin1String key, qsizetype index) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull()) {
        return std::nullopt;
    }
    if (!value.isString()) {
        throw EntryError{QStringLiteral("entry %1: \"%2\" is not a string").arg(index).arg(key)};
    }
    return value.toString();
}

Message fromJson(const QJsonValue& value, qsizetype index) {
    if (!value.isObject()) {
        throw EntryError{QStringLiteral("entry %1 is not an object").arg(index)};
    }
    const QJsonObject object = value.toObject();
    const QJsonValue id = object.value(QLatin1String("id"));
    const QUuid uuid = id.isString() && id.toString().size() == 36 ? QUuid(id.toString()) : QUuid();
    if (uuid.isNull()) {
        throw EntryError{QStringLiteral("entry %1: \"id\" is missing or not a UUID").arg(index)};
    }
    const QJsonValue sent = object.value(QLatin1String("isSentByCurrentUser"));
    if (!sent.isBool()) {
        throw EntryError{
            QStringLiteral("entry %1: \"isSentByCurrentUser\" is missing or not a flag")
                .arg(index)};
    }
    return Message{uuid, optionalText(object, QLatin1String("text"), index),
                   optionalText(object, QLatin1String("response"), index), sent.toBool()};
}

} // namespace

Message Message::question(const QString& text) {
    return Message{QUuid::createUuid(), text, std::nullopt, true};
}

Message Message::answer(const QString& response) {
    return Message{QUuid::createUuid(), std::nullopt, response, false};
}

QByteArray encodeConversation(const Conversation& conversation) {
    QJsonArray array;
    for (const Message& message : conversation) {
        array.append(toJson(message));
    }
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

QByteArray appendToEncoded(QByteArray encoded, const Message& message) {
    const QByteArray entry = QJsonDocument(toJson(message)).toJson(QJsonDocument::Compact);
    encoded = encoded.trimmed();
    encoded.chop(1); // the closing bracket
    encoded += ',';
    encoded += entry;
    encoded += ']';
    return encoded;
}

std::variant<Conversation, QString> decodeConversation(const QByteArray& bytes) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        return QStringLiteral("%1 at offset %2").arg(error.errorString()).arg(error.offset);
    }
    if (!document.isArray()) {
        return QStringLiteral("the stored value is not an array");
    }
    const QJsonArray array = document.array();
    Conversation conversation;
    conversation.reserve(static_cast<std::size_t>(array.size()));
    try {
        for (qsizetype i = 0; i < array.size(); ++i) {
            conversation.push_back(fromJson(array.at(i), i));
        }
    } catch (const EntryError& entryError) {
        return entryError.reason;
    }
    return conversation;
}
