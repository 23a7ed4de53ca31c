#include "chat/message.h"

#include <array>
#include <cstdint>
#include <simdjson.h>
#include <string_view>

// The stored form is written by hand so that members keep their declared order, and read with
// simdjson: a long history is written at every change and read each time a chat opens.

namespace {

void appendEscaped(QByteArray& out, const QString& text) {
    static constexpr std::array<char, 17> hex{"0123456789abcdef"};
    // toUtf8 turns a lone surrogate into "?", so what is stored is always valid UTF-8.
    const QByteArray utf8 = text.toUtf8();
    out += '"';
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20) {
                out += "\\u00";
                out += hex[byte >> 4];
                out += hex[byte & 0xF];
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void appendEntry(QByteArray& out, const Message& message) {
    out += R"({"id":")";
    out += message.id.toByteArray(QUuid::WithoutBraces).toUpper();
    out += '"';
    if (message.text) {
        out += R"(,"text":)";
        appendEscaped(out, *message.text);
    }
    if (message.response) {
        out += R"(,"response":)";
        appendEscaped(out, *message.response);
    }
    out += message.isSentByCurrentUser ? R"(,"isSentByCurrentUser":true})"
                                       : R"(,"isSentByCurrentUser":false})";
}

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

/// 8-4-4-4-12 hexadecimal digits, either case. The all-zero id is as good as any other.
/// Read straight into the id's bytes: a stored chat holds one id per entry.
std::optional<QUuid> parseUuid(std::string_view text) {
    static constexpr auto kNibble = [] {
        std::array<std::uint8_t, 256> nibble{};
        nibble.fill(0xFF); // not a digit
        for (int i = 0; i < 10; ++i) {
            nibble['0' + i] = static_cast<std::uint8_t>(i);
        }
        for (int i = 0; i < 6; ++i) {
            nibble['a' + i] = nibble['A' + i] = static_cast<std::uint8_t>(10 + i);
        }
        return nibble;
    }();
    if (text.size() != 36) {
        return std::nullopt;
    }
    std::array<char, 16> bytes{};
    std::size_t next = 0;
    bool wrong = false;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            wrong |= text[i] != '-';
            ++i;
        }
        const unsigned high = kNibble[static_cast<unsigned char>(text[i])];
        const unsigned low = kNibble[static_cast<unsigned char>(text[i + 1])];
        wrong |= (high | low) > 0xF;
        bytes[next++] = static_cast<char>((high << 4) | low);
    }
    if (wrong) {
        return std::nullopt;
    }
    return QUuid::fromRfc4122(QByteArrayView(bytes.data(), bytes.size()));
}

/// Reads the optional text `key` into `out`; why it cannot, if so.
std::optional<QString> optionalText(simdjson::dom::object entry, const char* key,
                                    std::optional<QString>& out) {
    simdjson::dom::element value;
    if (entry[key].get(value) != simdjson::SUCCESS || value.is_null()) {
        return std::nullopt;
    }
    std::string_view text;
    if (value.get(text) != simdjson::SUCCESS) {
        return QStringLiteral("\"%1\" is not a string").arg(QLatin1StringView(key));
    }
    out = fromUtf8(text);
    return std::nullopt;
}

std::variant<Message, QString> decodeEntry(simdjson::dom::element element) {
    simdjson::dom::object entry;
    if (element.get(entry) != simdjson::SUCCESS) {
        return QStringLiteral("not an object");
    }
    std::string_view idText;
    std::optional<QUuid> id;
    if (entry["id"].get(idText) == simdjson::SUCCESS) {
        id = parseUuid(idText);
    }
    if (!id) {
        return QStringLiteral("\"id\" is missing or not a UUID");
    }
    Message message{*id, std::nullopt, std::nullopt, false};
    if (entry["isSentByCurrentUser"].get(message.isSentByCurrentUser) != simdjson::SUCCESS) {
        return QStringLiteral("\"isSentByCurrentUser\" is missing or not a flag");
    }
    for (const auto& [key, field] :
         {std::pair{"text", &message.text}, std::pair{"response", &message.response}}) {
        if (std::optional<QString> why = optionalText(entry, key, *field)) {
            return *why;
        }
    }
    return message;
}

} // namespace

Message Message::question(const QString& text) {
    return Message{QUuid::createUuid(), text, std::nullopt, true};
}

Message Message::answer(const QString& response) {
    return Message{QUuid::createUuid(), std::nullopt, response, false};
}

QByteArray encodeConversation(const Conversation& conversation) {
    QByteArray out("[");
    for (const Message& message : conversation) {
        if (out.size() > 1) {
            out += ',';
        }
        appendEntry(out, message);
    }
    out += ']';
    return out;
}

QByteArray appendToEncoded(QByteArray encoded, const Message& message) {
    encoded = encoded.trimmed();
    encoded.chop(1); // the closing bracket
    encoded += ',';
    appendEntry(encoded, message);
    encoded += ']';
    return encoded;
}

std::variant<Conversation, QString> decodeConversation(const QByteArray& bytes) {
    // Reused, so that its buffers are not allocated and faulted in again at every load.
    thread_local simdjson::dom::parser parser;
    simdjson::dom::element document;
    if (const auto error =
            parser.parse(bytes.constData(), static_cast<std::size_t>(bytes.size())).get(document);
        error != simdjson::SUCCESS) {
        return QString::fromUtf8(simdjson::error_message(error));
    }
    simdjson::dom::array array;
    if (document.get(array) != simdjson::SUCCESS) {
        return QStringLiteral("the stored value is not an array");
    }
    Conversation conversation;
    conversation.reserve(array.size());
    for (const simdjson::dom::element element : array) {
        std::variant<Message, QString> entry = decodeEntry(element);
        if (auto* why = std::get_if<QString>(&entry)) {
            return QStringLiteral("entry %1: %2").arg(conversation.size()).arg(*why);
        }
        conversation.push_back(std::move(std::get<Message>(entry)));
    }
    return conversation;
}
