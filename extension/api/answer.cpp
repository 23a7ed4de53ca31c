#include "api/answer.h"

#include "log.h"

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
    } catch (const Json::exception& parseError) {
        // Besides syntax errors, a number past a double's range throws out_of_range.
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
