#include "chatrequest.h"
#include "handleapirequests.h"
#include "platform.h"
#include "tokenredaction.h"

namespace {

std::optional<ChatStartResponse> chatStartResponse(const Json& object) {
    const auto response = object.find("response");
    if (response == object.end() || !response->is_object() || response->empty()) {
        return std::nullopt;
    }
    const auto assistantId = response->find("assistantId");
    const auto threadId = response->find("threadId");
    if (assistantId == response->end() || !assistantId->is_string() ||
        threadId == response->end() || !threadId->is_string()) {
        return std::nullopt;
    }
    return ChatStartResponse{fromUtf8(assistantId->get_ref<const std::string&>()),
                             fromUtf8(threadId->get_ref<const std::string&>())};
}

} // namespace

void HandleApiRequests::startChat(const QUrl& url, const QString& accessToken,
                                  const ChatStartBody& body, ChatStartCompletion completion) {
    Log::line("Start chat url:", url);
    Log::line("Start chat access_token:", redactedToken(accessToken));
    Log::line("Start chat body:", textForm(body));
    sendChatRequest(url, accessToken, toJson(body),
                    [completion = std::move(completion)](std::variant<ApiError, Json> outcome) {
                        if (auto* error = std::get_if<ApiError>(&outcome)) {
                            completion(std::move(*error));
                        } else if (auto started = chatStartResponse(std::get<Json>(outcome))) {
                            completion(std::move(*started));
                        } else {
                            Log::line("The 'assistantId' or 'threadId' key does not exist or is "
                                      "not a string within the 'response' object.");
                            completion(ApiError::invalidData());
                        }
                    });
}
