#include "api/chatanswers.h"
#include "require.h"
#include "signin/sessionresponse.h"

namespace {

// The member's text exactly as received, when it is a string.
std::optional<std::string> received(const Json& object, const char* name) {
    const auto it = object.find(name);
    return it != object.end() && it->is_string() ? std::optional(it->get<std::string>())
                                                 : std::nullopt;
}

std::optional<std::string> kept(const std::optional<QString>& decoded) {
    return decoded ? std::optional(utf8(*decoded)) : std::nullopt;
}

} // namespace

// Any body as the answer of a sign-in endpoint and of both chat requests.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray body(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::variant<SessionResponse, QString> decoded = decodeSessionResponse(body);
    // Past 1,024 levels a body is refused for its depth before it is read whole.
    const auto* refusal = std::get_if<QString>(&decoded);
    if (refusal && refusal->startsWith("the JSON is nested deeper")) {
        require(body.count('[') + body.count('{') > 1024,
                "only a body nested that deep is refused for its depth");
        return 0;
    }
    const Json object = Json::parse(body.constData(), body.constData() + body.size(), nullptr,
                                    /*allow_exceptions=*/false);
    if (!object.is_object()) {
        require(std::holds_alternative<QString>(decoded), "only an object is a session");
        return 0;
    }
    bool valid = received(object, "id").has_value();
    for (const char* name : {"access_token", "refresh_token", "login_url"}) {
        const auto it = object.find(name);
        valid = valid && (it == object.end() || it->is_null() || it->is_string());
    }
    require(std::holds_alternative<SessionResponse>(decoded) == valid,
            "a session needs a text id and texts or nulls for the rest");
    if (const auto* session = std::get_if<SessionResponse>(&decoded)) {
        require(kept(session->id) == received(object, "id") &&
                    kept(session->accessToken) == received(object, "access_token") &&
                    kept(session->refreshToken) == received(object, "refresh_token") &&
                    kept(session->loginUrl) == received(object, "login_url"),
                "session texts are kept exactly");
    }

    const std::optional<ChatStartResponse> started = decodeChatStartResponse(object);
    const auto inner = object.find("response");
    const bool startValid = inner != object.end() && inner->is_object() &&
                            received(*inner, "assistantId") && received(*inner, "threadId");
    require(started.has_value() == startValid, "a chat starts with both identifiers as texts");
    if (started) {
        require(kept(started->assistantId) == received(*inner, "assistantId") &&
                    kept(started->threadId) == received(*inner, "threadId"),
                "chat identifiers are kept exactly");
    }
    const std::optional<ChatResponse> answered = decodeChatResponse(object);
    require(kept(answered ? std::optional(answered->response) : std::nullopt) ==
                received(object, "response"),
            "a chat answer is its text response, exactly");
    return 0;
}
