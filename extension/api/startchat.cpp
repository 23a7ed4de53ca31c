#include "api/chatanswers.h"
#include "api/chatrequest.h"
#include "api/completion.h"
#include "api/handleapirequests.h"
#include "api/tokenredaction.h"

void HandleApiRequests::startChat(const QUrl& url, const QString& accessToken,
                                  const ChatStartBody& body,
                                  ApiCompletion<ChatStartResponse> completion) const {
    completion = completingOn(mainQueue_, std::move(completion));
    Log::line("Start chat url:", url);
    Log::line("Start chat access_token:", redactedToken(accessToken));
    Log::line("Start chat body:", textForm(body));
    sendChatRequest(network_, url, accessToken, toJson(body),
                    [completion = std::move(completion)](ApiResult<Json> outcome) {
                        completion(
                            decodedChatAnswer(std::move(outcome), decodeChatStartResponse,
                                              "The 'assistantId' or 'threadId' key does not "
                                              "exist or is not a string within the 'response' "
                                              "object."));
                    });
}
