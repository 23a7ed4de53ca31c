#include "api/json.h"

EncodedBody encodeBody(const Json& body) {
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
