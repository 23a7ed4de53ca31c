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

namespace {

/// Files the outcome in the summary cache, under the message the request was made for. Only
/// running out of retries counts as a failed request.
void fileSummary(const ApiResult<SummarizedResponse>& result, const QString& messageId,
                 ComposeWindow* window) {
    SummarizeManager& summaries = SummarizeManager::shared();
    if (const auto* summary = std::get_if<SummarizedResponse>(&result)) {
        summaries.responses.insert_or_assign(messageId, *summary);
        return;
    }
    const ApiError& error = std::get<ApiError>(result);
    if (error.detail() == ApiError::Detail::userCheckFailed) {
        return; // no summary was asked for
    }
    if (error.detail() == ApiError::Detail::retriesExhausted) {
        summaries.requestFailed = true;
        if (window) {
            window->requestFailed = true;
        }
    }
    summaries.responses.erase(messageId);
}

} // namespace

void runSummaryRequest(ComposeWindow& window, ApiCompletion<SummarizedResponse> handler) {
    const std::optional<QString> token = AuthManager::shared().accessToken();
    const QString email = UserDetailsManager::shared().email();
    const ReplyContext& context = window.context();
    const QString content = context.content.value_or(window.fallbackSummarizeContent);
    const QString messageId = context.messageId.value_or(QString());
    (void)storeFallbackContent(window, content); // a failed write is logged by the store
    MainQueue& mainQueue = Platform::current().mainQueue();

    const std::optional<QUrl> url = parseUrl(currentApiUrl() + QStringLiteral("/summarize"));
    if (!url) {
        mainQueue.async([handler] { handler(ApiError::invalidResponse()); });
        return;
    }
    if (!token) {
        Log::line("Access token is null in summarize API call");
        mainQueue.async([handler] { handler(ApiError::invalidResponse()); });
        return;
    }
    HandleApiRequests::summarize(
        *url, currentApiUrl() + QStringLiteral("/me"), *token, SummarizeRequestBody{content, email},
        messageId,
        [](const UserDetails& details) { details.storeIn(UserDetailsManager::shared()); },
        [messageId, handler,
         window = QPointer(&window)](const ApiResult<SummarizedResponse>& result) {
            fileSummary(result, messageId, window.data());
            handler(result);
        });
}
