#include "api/answer.h"

#include "log.h"

#include <simdjson.h>
#include <string>

namespace {

// Answers this size or smaller are read by simdjson first: some twenty times faster than
// nlohmann's parser on a reply, whose text is most of the round trip's own work. Larger ones
// stay with nlohmann alone, whose tree takes a fraction of simdjson's working memory.
constexpr qsizetype kQuickParseLimit = qsizetype(1) << 20;
// Answers up to this size share one parser per thread, whose buffers then cost no allocation
// per answer; it keeps some fifteen times this size (about 1 MB) for as long as the thread.
constexpr qsizetype kKeptParserLimit = qsizetype(64) << 10;

/// `element` as nlohmann would have read it, or nothing where the two could differ: a double
/// (nlohmann reads -0 and big integers otherwise) or a repeated key (nlohmann keeps the last).
std::optional<Json> sameAsNlohmann(simdjson::dom::element element) {
    using Type = simdjson::dom::element_type;
    switch (element.type()) {
    case Type::OBJECT: {
        simdjson::dom::object members;
        if (element.get(members) != simdjson::SUCCESS) {
            return std::nullopt;
        }
        Json object = Json::object();
        for (const simdjson::dom::key_value_pair member : members) {
            std::optional<Json> value = sameAsNlohmann(member.value);
            if (!value || !object.emplace(std::string(member.key), *std::move(value)).second) {
                return std::nullopt;
            }
        }
        return object;
    }
    case Type::ARRAY: {
        simdjson::dom::array items;
        if (element.get(items) != simdjson::SUCCESS) {
            return std::nullopt;
        }
        Json array = Json::array();
        for (const simdjson::dom::element item : items) {
            std::optional<Json> value = sameAsNlohmann(item);
            if (!value) {
                return std::nullopt;
            }
            array.push_back(*std::move(value));
        }
        return array;
    }
    case Type::STRING:
        return Json(std::string(element.get_string().value_unsafe()));
    case Type::INT64: {
        // nlohmann keeps every integer without a sign as unsigned.
        const std::int64_t number = element.get_int64().value_unsafe();
        return number >= 0 ? Json(static_cast<std::uint64_t>(number)) : Json(number);
    }
    case Type::UINT64:
        return Json(element.get_uint64().value_unsafe());
    case Type::BOOL:
        return Json(element.get_bool().value_unsafe());
    case Type::NULL_VALUE:
        return Json(nullptr);
    case Type::DOUBLE:
        return std::nullopt;
    }
    return std::nullopt;
}

/// The JSON value of `data` when simdjson reads it and agrees with nlohmann; nothing when
/// nlohmann must decide, which includes every error, so that its description stays nlohmann's.
std::optional<Json> quickParse(const QByteArray& data) {
    if (data.size() > kQuickParseLimit) {
        return std::nullopt;
    }
    thread_local simdjson::dom::parser kept;
    std::optional<simdjson::dom::parser> ownParser;
    simdjson::dom::parser& parser = data.size() <= kKeptParserLimit ? kept : ownParser.emplace();
    simdjson::dom::element root;
    if (parser.parse(data.constData(), static_cast<std::size_t>(data.size())).get(root) !=
        simdjson::SUCCESS) {
        return std::nullopt;
    }
    return sameAsNlohmann(root);
}

} // namespace

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
    if (std::optional<Json> quick = quickParse(*data)) {
        value = *std::move(quick);
    } else {
        std::variant<Json, QString> parsed = parseJson(*data);
        if (auto* why = std::get_if<QString>(&parsed)) {
            return NotJson{std::move(*why)};
        }
        value = std::get<Json>(std::move(parsed));
    }
    if (checks == Checks::GetAnswer && !value.is_object() && !value.is_array()) {
        return NotJson{QStringLiteral("the top-level value is neither an array nor an object")};
    }
    if (!value.is_object()) {
        return NotObject{};
    }
    return Object{std::move(value)};
}

std::optional<ApiError> postFailure(const Classified& answer) {
    if (const auto* failure = std::get_if<TransportError>(&answer)) {
        return ApiError::networkError(failure->error)
            .saying("Error sending request: " + failure->error.description);
    }
    if (std::holds_alternative<NotHttp>(answer)) {
        return ApiError::invalidResponse().saying(
            QStringLiteral("Invalid response received from the server."));
    }
    if (const auto* status = std::get_if<BadStatus>(&answer)) {
        return ApiError::serverError(status->statusCode)
            .saying("Server error: " + QString::number(status->statusCode));
    }
    if (std::holds_alternative<NoBody>(answer)) {
        return ApiError::invalidData()
            .with(ApiError::Detail::noBody)
            .saying(QStringLiteral("No data received from server."));
    }
    return std::nullopt;
}

std::optional<ApiError> getFailure(const Classified& answer, const QString& parseFailurePrefix) {
    if (const auto* failure = std::get_if<TransportError>(&answer)) {
        return logged(
            ApiError::networkError(failure->error).saying("Error: " + failure->error.description));
    }
    if (std::holds_alternative<NoBody>(answer)) {
        return logged(ApiError::invalidData()
                          .with(ApiError::Detail::noBody)
                          .saying(QStringLiteral("No data received")));
    }
    if (const auto* notJson = std::get_if<NotJson>(&answer)) {
        return logged(ApiError::invalidData().saying(parseFailurePrefix + notJson->description));
    }
    if (std::holds_alternative<NotObject>(answer)) {
        return logged(ApiError::invalidData()
                          .with(ApiError::Detail::notObject)
                          .saying(QStringLiteral("Server error. Please try again.")));
    }
    return std::nullopt;
}

ApiError invalidUrl(const QString& line) {
    return logged(ApiError::invalidResponse().saying(line));
}

ApiError logged(ApiError error) {
    Log::line(error.message());
    return error;
}

std::optional<QString> stringMember(const Json& object, const char* name) {
    const auto it = object.find(name);
    if (it == object.end() || !it->is_string()) {
        return std::nullopt;
    }
    return fromUtf8(it->get_ref<const std::string&>());
}

} // namespace Answer
