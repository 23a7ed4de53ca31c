#include "message.h"

namespace {

Json toJson(const Message& message) {
    Json object = Json::object();
    object["id"] = message.id.toString(QUuid::WithoutBraces).toUpper().toStdString();
    if (message.text) {
        object["text"] = utf8(*message.text);
    }
    if (message.response) {
        object["response"] = utf8(*message.response);
    }
    object["isSentByCurrentUser"] = message.isSentByCurrentUser;
    return object;
}

std::optional<QString> optionalText(const Json& object, const char* key, std::size_t index) {
    const auto it = object.find(key);
    if (it == object.end() || it->is_null()) {
        return std::nullopt;
    }
    if (!it->is_string()) {
        throw std::invalid_argument("entry " + std::to_string(index) + ": \"" + key +
                                    "\" is not a string");
    }
    return fromUtf8(it->get_ref<const std::string&>());
}

Message fromJson(const Json& object, std::size_t index) {
    const std::string where = "entry " + std::to_string(index) + ": ";
    if (!object.is_object()) {
        throw std::invalid_argument(where + "not an object");
    }
    const auto id = object.find("id");
    if (id == object.end() || !id->is_string()) {
        throw std::invalid_argument(where + "\"id\" is missing or not a string");
    }
    const QString idText = fromUtf8(id->get_ref<const std::string&>());
    const QUuid uuid(idText);
    if (uuid.isNull() || idText.size() != 36) {
        throw std::invalid_argument(where + "\"id\" is not a UUID");
    }
    const auto sent = object.find("isSentByCurrentUser");
    if (sent == object.end() || !sent->is_boolean()) {
        throw std::invalid_argument(where + "\"isSentByCurrentUser\" is missing or not a flag");
    }
    return Message{uuid, optionalText(object, "text", index),
                   optionalText(object, "response", index), sent->get<bool>()};
}

} // namespace

Message Message::question(const QString& text) {
    return Message{QUuid::createUuid(), text, std::nullopt, true};
}

Message Message::answer(const QString& response) {
    return Message{QUuid::createUuid(), std::nullopt, response, false};
}

QByteArray encodeConversation(const Conversation& conversation) {
    Json array = Json::array();
    for (const Message& message : conversation) {
        array.push_back(toJson(message));
    }
    const std::string text = array.dump(-1, ' ', false, Json::error_handler_t::replace);
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

std::variant<Conversation, QString> decodeConversation(const QByteArray& bytes) {
    try {
        const Json array = Json::parse(bytes.constData(), bytes.constData() + bytes.size());
        if (!array.is_array()) {
            return QStringLiteral("the stored value is not an array");
        }
        Conversation conversation;
        conversation.reserve(array.size());
        for (std::size_t i = 0; i < array.size(); ++i) {
            conversation.push_back(fromJson(array[i], i));
        }
        return conversation;
    } catch (const Json::exception& error) {
        return QString::fromUtf8(error.what());
    } catch (const std::invalid_argument& error) {
        return QString::fromUtf8(error.what());
    }
}
