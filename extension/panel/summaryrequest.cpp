#include "panel/summaryrequest.h"

#include "api/handleapirequests.h"
#include "panel/fallbackcontent.h"
#include "platform.h"
#include "stores/apimanager.h"
#include "stores/authmanager.h"
#include "stores/summarizemanager.h"
#include "stores/userdetailsmanager.h"
#include "url.h"

#include <QPointer>

void runSummaryRequest(ComposeWindow& window, SummaryResultHandler handler) {
    const std::optional<QString> token = AuthManager::shared().accessToken();
    const QString email = UserDetailsManager::shared().email();
    const ReplyContext& context = window.context();
    const QString content = context.content.value_or(window.fallbackSummarizeContent);
    const QString messageId = context.messageId.value_or(QString());
    (void)storeFallbackContent(window, content); // a failed write is logged by the store
    MainQueue& mainQueue = Platform::current().mainQueue();

    const std::optional<QUrl> url = parseUrl(currentApiUrl() + QStringLiteral("/summarize"));
    if (!url) {
        mainQueue.async([handler] { handler(std::nullopt); });
        return;
    }
    if (!token) {
        Log::line("Access token is null in summarize API call");
        mainQueue.async([handler] { handler(std::nullopt); });
        return;
    }
    HandleApiRequests::summarize(
        *url, *token, SummarizeRequestBody{content, email}, messageId,
        [messageId, handler, window = QPointer(&window)](std::optional<QString> answeredId,
                                                         std::optional<QString> summary) {
            // The cache is read on the main thread, so it is written there too.
            Platform::current().mainQueue().async(
                [messageId, handler, window, answeredId, summary] {
                    SummarizeManager& summaries = SummarizeManager::shared();
                    std::optional<SummarizedResponse> result;
                    if (answeredId && summary) {
                        result = SummarizedResponse{*answeredId, *summary};
                        summaries.responses.insert_or_assign(messageId, *result);
                    } else {
                        summaries.responses.erase(messageId);
                        // The request core has set the shared flag on the main thread by now.
                        if (window && summaries.requestFailed) {
                            window->requestFailed = true;
                        }
                    }
                    handler(std::move(result));
                });
        });
}
