#include "answer.h"

namespace Answer {

Classified classify(const std::optional<QByteArray>& data,
                    const std::optional<HTTPURLResponse>& response,
                    const std::optional<URLError>& error, Checks checks) {
    if (error) {
        return TransportError{*error};
    }
    if (checks == Checks::PostAnswer) {
        if (!response) {
            return NotHttp{};
        }
        if (response->statusCode < 200 || response->statusCode > 299) {
            return BadStatus{response->statusCode};
        }
    }
    if (!data) {
        return NoBody{};
    }
    Json value;
    try {
        value = Json::parse(data->constData(), data->constData() + data->size());
    } catch (const Json::parse_error& parseError) {
        return NotJson{QString::fromUtf8(parseError.what())};
    }
    if (checks == Checks::GetAnswer && !value.is_object() && !value.is_array()) {
        return NotJson{QStringLiteral("the top-level value is neither an array nor an object")};
    }
    if (!value.is_object()) {
        return NotObject{};
    }
    return Object{std::move(value)};
}

std::optional<QString> stringMember(const Json& object, const char* name) {
    const auto it = object.find(name);
    if (it == object.end() || !it->is_string()) {
        return std::nullopt;
    }
    return fromUtf8(it->get_ref<const std::string&>());
}

} // namespace Answer
