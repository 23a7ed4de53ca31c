#include "api/json.h"

#include <array>
#include <simdjson.h>
#include <string_view>

namespace {

// Bodies are objects of strings, a reply's whole mail among them. nlohmann's serializer decodes
// every byte of them, which is the larger part of what a request costs on this side, so they are
// written here in one pass, byte for byte as nlohmann writes them. Any other body, and any
// string that is not UTF-8 (nlohmann refuses it), is left to nlohmann.

// The one-letter escapes nlohmann uses; other bytes below 0x20 become \u00xx.
constexpr std::string_view kEscaped = "\b\t\n\f\r\"\\";
constexpr std::string_view kEscapeLetters = "btnfr\"\\";

bool appendString(QByteArray& out, const std::string& text) {
    if (!simdjson::validate_utf8(text.data(), text.size())) {
        return false;
    }
    static constexpr std::array<char, 17> hex{"0123456789abcdef"};
    out += '"';
    std::size_t pending = 0; // the first byte not yet written
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x20 && byte != '"' && byte != '\\') {
            continue;
        }
        out.append(text.data() + pending, static_cast<qsizetype>(i - pending));
        pending = i + 1;
        out += '\\';
        if (const std::size_t at = kEscaped.find(text[i]); at != std::string_view::npos) {
            out += kEscapeLetters[at];
        } else {
            out += "u00";
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        }
    }
    out.append(text.data() + pending, static_cast<qsizetype>(text.size() - pending));
    out += '"';
    return true;
}

std::optional<QByteArray> objectOfStrings(const Json& body) {
    if (!body.is_object()) {
        return std::nullopt;
    }
    // Sized once for the unescaped texts, so that a long mail is not copied as the body grows.
    qsizetype size = 2;
    for (auto member = body.begin(); member != body.end(); ++member) {
        if (member->is_string()) {
            size += static_cast<qsizetype>(member.key().size() +
                                           member->get_ref<const std::string&>().size() + 6);
        }
    }
    QByteArray out;
    out.reserve(size);
    out += '{';
    for (auto member = body.begin(); member != body.end(); ++member) {
        if (!member->is_string()) {
            return std::nullopt;
        }
        if (member != body.begin()) {
            out += ',';
        }
        if (!appendString(out, member.key())) {
            return std::nullopt;
        }
        out += ':';
        if (!appendString(out, member->get_ref<const std::string&>())) {
            return std::nullopt;
        }
    }
    out += '}';
    return out;
}

// nlohmann parses any depth, but copying and printing a value recurse once a level, and so does
// parsing into a tree: an answer nested much deeper would overflow the stack of the thread that
// reads it. simdjson stops here too.
constexpr int kMaxDepth = simdjson::DEFAULT_MAX_DEPTH;

struct TooDeep {};

} // namespace

std::variant<Json, QString> parseJson(const QByteArray& bytes) {
    const auto bounded = [](int depth, Json::parse_event_t event, const Json& /*parsed*/) {
        const bool opens =
            event == Json::parse_event_t::object_start || event == Json::parse_event_t::array_start;
        if (opens && depth >= kMaxDepth) {
            throw TooDeep{};
        }
        return true;
    };
    try {
        return Json::parse(bytes.constData(), bytes.constData() + bytes.size(), bounded);
    } catch (const Json::exception& error) {
        // Besides syntax errors, a number past a double's range throws out_of_range.
        return QString::fromUtf8(error.what());
    } catch (const TooDeep&) {
        return QStringLiteral("the JSON is nested deeper than %1 levels").arg(kMaxDepth);
    }
}

EncodedBody encodeBody(const Json& body) {
    if (std::optional<QByteArray> bytes = objectOfStrings(body)) {
        return {std::move(bytes), {}};
    }
    try {
        const std::string text = body.dump();
        return {QByteArray(text.data(), static_cast<qsizetype>(text.size())), {}};
    } catch (const Json::exception& error) {
        return {std::nullopt, QString::fromUtf8(error.what())};
    }
}

QString describe(const Json& value) {
    // Answers were parsed from valid UTF-8, so this cannot throw on them.
    return fromUtf8(value.dump(-1, ' ', false, Json::error_handler_t::replace));
}
