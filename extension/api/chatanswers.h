#pragma once

#include "api/chatbodies.h"
#include "api/json.h"

#include <optional>

/// The chat's identifiers in the answer that opened it: the strings "assistantId" and
/// "threadId" of its non-empty "response" object.
[[nodiscard]] std::optional<ChatStartResponse> decodeChatStartResponse(const Json& answer);

/// The assistant's answer to one chat message: the string "response".
[[nodiscard]] std::optional<ChatResponse> decodeChatResponse(const Json& answer);
