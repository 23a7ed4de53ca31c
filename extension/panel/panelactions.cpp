#include "panel/panelactions.h"

#include "api/handleapirequests.h"
#include "api/recordtext.h"
#include "panel/buttonstatemanager.h"
#include "panel/fallbackcontent.h"
#include "panel/panelkeys.h"
#include "panel/summarizestatemanager.h"
#include "panel/summaryrequest.h"
#include "platform.h"
#include "stores/apimanager.h"
#include "stores/authmanager.h"
#include "stores/userdetailsmanager.h"
#include "url.h"

#include <QPointer>

namespace {

void showReply(ButtonStateManager& state, const QString& reply) {
    state.setGenerateResponse(reply);
    UserDefaults& defaults = Platform::current().userDefaults();
    // Failed writes are logged by the store; the reply on screen stays.
    (void)defaults.set(PanelKeys::replyDoneFlag(state.window().context().messageId), true);
    (void)defaults.set(state.generateResponseKey(), reply);
    state.toast(QStringLiteral("Response generated successfully."));
}

void showReplyResult(ButtonStateManager& state, const ApiResult<GeneratedResponse>& result) {
    if (const auto* reply = std::get_if<GeneratedResponse>(&result)) {
        showReply(state, reply->response);
    } else {
        state.toast(std::get<ApiError>(result).message());
    }
    state.setGenerateResponseLoading(false);
}

void showReplyError(ButtonStateManager& state, const QString& error) {
    state.toast(error);
    state.setGenerateResponseLoading(false);
}

} // namespace

void summarizeFromPanel(SummarizeStateManager& state) {
    state.setSummarizeLoading(true);
    // The outcome is logged even when the panel closed first; only the state goes with it.
    runSummaryRequest(
        state.window(), [self = QPointer(&state)](const ApiResult<SummarizedResponse>& outcome) {
            const auto* result = std::get_if<SummarizedResponse>(&outcome);
            if (result) {
                Log::line("Summarization successful: " +
                          recordText("SummarizedResponse", {{"messageId", result->messageId},
                                                            {"response", result->response}}));
            } else if (std::get<ApiError>(outcome).detail() != ApiError::Detail::userCheckFailed) {
                Log::line("Failed to summarize.");
            }
            if (!self) {
                return;
            }
            if (result) {
                self->setSummarizeResponse(result->response);
            }
            self->setSummarizeLoading(false);
        });
}

void generateReply(ButtonStateManager& state) {
    state.setGenerateResponseLoading(true);
    const std::optional<QString> token = AuthManager::shared().accessToken();
    const QString email = UserDetailsManager::shared().email();
    const ReplyContext& context = state.window().context();
    const std::optional<QString> content =
        context.content ? context.content : loadFallbackContent(state.window());
    const QString messageId = context.messageId.value_or(QString());
    const auto fail = [self = QPointer(&state)](const QString& error) {
        Platform::current().mainQueue().async([self, error] {
            if (self) {
                showReplyError(*self, error);
            }
        });
    };

    const std::optional<QUrl> url = parseUrl(currentApiUrl() + QStringLiteral("/response"));
    if (!url) {
        Log::line("Invalid URL");
        fail(QStringLiteral("Invalid URL"));
        return;
    }
    if (!token) {
        Log::line("Access token is null in generate response API call");
        fail(QStringLiteral("Access token is null"));
        return;
    }
    if (!content) {
        fail(QStringLiteral("There is no message text to reply to."));
        return;
    }
    HandleApiRequests::generateResponse(
        *url, *token, GenerateResponseBody{messageId, *content, email}, messageId,
        [self = QPointer(&state)](const ApiResult<GeneratedResponse>& result) {
            if (self) {
                showReplyResult(*self, result);
            }
        });
}
