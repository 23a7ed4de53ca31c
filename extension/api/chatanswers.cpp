#include "api/chatanswers.h"

#include "api/answer.h"

std::optional<ChatStartResponse> decodeChatStartResponse(const Json& answer) {
    const auto response = answer.find("response");
    if (response == answer.end() || !response->is_object() || response->empty()) {
        return std::nullopt;
    }
    std::optional<QString> assistantId = Answer::stringMember(*response, "assistantId");
    std::optional<QString> threadId = Answer::stringMember(*response, "threadId");
    if (!assistantId || !threadId) {
        return std::nullopt;
    }
    return ChatStartResponse{std::move(*assistantId), std::move(*threadId)};
}

std::optional<ChatResponse> decodeChatResponse(const Json& answer) {
    std::optional<QString> response = Answer::stringMember(answer, "response");
    if (!response) {
        return std::nullopt;
    }
    return ChatResponse{std::move(*response)};
}
