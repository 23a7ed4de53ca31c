#include "signin/sessionresponse.h"

#include "api/answer.h"

namespace {

const char* const optionalKeys[] = {"access_token", "refresh_token", "login_url"};

bool isTextOrAbsent(const Json& object, const char* key) {
    const auto it = object.find(key);
    return it == object.end() || it->is_null() || it->is_string();
}

} // namespace

std::variant<SessionResponse, QString> decodeSessionResponse(const QByteArray& body) {
    std::variant<Json, QString> parsed = parseJson(body);
    if (auto* why = std::get_if<QString>(&parsed)) {
        return std::move(*why);
    }
    const Json value = std::get<Json>(std::move(parsed));
    if (!value.is_object()) {
        return QStringLiteral("the answer is not a JSON object");
    }
    const std::optional<QString> id = Answer::stringMember(value, "id");
    if (!id) {
        return QStringLiteral("the member \"id\" is missing or not a string");
    }
    for (const char* key : optionalKeys) {
        if (!isTextOrAbsent(value, key)) {
            return QStringLiteral("the member \"%1\" is not a string").arg(QLatin1String(key));
        }
    }
    return SessionResponse{*id, Answer::stringMember(value, "access_token"),
                           Answer::stringMember(value, "refresh_token"),
                           Answer::stringMember(value, "login_url")};
}
