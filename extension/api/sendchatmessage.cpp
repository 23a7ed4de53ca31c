#include "api/chatanswers.h"
#include "api/chatrequest.h"
#include "api/completion.h"
#include "api/handleapirequests.h"

void HandleApiRequests::sendChatMessage(const QUrl& url, const QString& accessToken,
                                        const ChatBody& body,
                                        ApiCompletion<ChatResponse> completion) const {
    completion = completingOn(mainQueue_, std::move(completion));
    sendChatRequest(network_, url, accessToken, toJson(body),
                    [completion = std::move(completion)](ApiResult<Json> outcome) {
                        completion(decodedChatAnswer(std::move(outcome), decodeChatResponse,
                                                     "The 'response' key does not exist or is not "
                                                     "a string."));
                    });
}
