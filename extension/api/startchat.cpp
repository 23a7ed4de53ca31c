#include "api/chatanswers.h"
#include "api/chatrequest.h"
#include "api/handleapirequests.h"
#include "api/tokenredaction.h"
#include "platform.h"

void HandleApiRequests::startChat(const QUrl& url, const QString& accessToken,
                                  const ChatStartBody& body, ChatStartCompletion completion) {
    Log::line("Start chat url:", url);
    Log::line("Start chat access_token:", redactedToken(accessToken));
    Log::line("Start chat body:", textForm(body));
    sendChatRequest(url, accessToken, toJson(body),
                    [completion = std::move(completion)](std::variant<ApiError, Json> outcome) {
                        if (auto* error = std::get_if<ApiError>(&outcome)) {
                            completion(std::move(*error));
                        } else if (auto started =
                                       decodeChatStartResponse(std::get<Json>(outcome))) {
                            completion(std::move(*started));
                        } else {
                            Log::line("The 'assistantId' or 'threadId' key does not exist or is "
                                      "not a string within the 'response' object.");
                            completion(ApiError::invalidData());
                        }
                    });
}
