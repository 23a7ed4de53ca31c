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
    Json value;
    try {
        value = Json::parse(body.constData(), body.constData() + body.size());
    } catch (const Json::exception& error) {
        // Besides syntax errors, a number past a double's range throws out_of_range.
        return QString::fromUtf8(error.what());
    }
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
