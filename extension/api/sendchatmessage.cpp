#include "api/chatanswers.h"
#include "api/chatrequest.h"
#include "api/handleapirequests.h"
#include "platform.h"

void HandleApiRequests::sendChatMessage(const QUrl& url, const QString& accessToken,
                                        const ChatBody& body, ChatCompletion completion) {
    sendChatRequest(url, accessToken, toJson(body),
                    [completion = std::move(completion)](std::variant<ApiError, Json> outcome) {
                        if (auto* error = std::get_if<ApiError>(&outcome)) {
                            completion(std::move(*error));
                        } else if (auto answer = decodeChatResponse(std::get<Json>(outcome))) {
                            completion(std::move(*answer));
                        } else {
                            Log::line("The 'response' key does not exist or is not a string.");
                            completion(ApiError::invalidData());
                        }
                    });
}
