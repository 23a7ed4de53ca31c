#include "panel/summarizestatemanager.h"

#include "api/handleapirequests.h"
#include "api/recordtext.h"
#include "stores/assignchanged.h"
#include "stores/optionaltext.h"
#include "stores/panelkeys.h"
#include "url.h"

#include <QPointer>

namespace {

/// Files the outcome in the summary cache, under the message the request was made for. Only
/// running out of retries counts as a failed request; a failed user check fails the window's
/// request too, so that its Summarize asks again once the backend answers.
void fileSummary(const ApiResult<SummarizedResponse>& result, const QString& messageId,
                 SummarizeManager& summaries, ComposeWindow* window) {
    if (const auto* summary = std::get_if<SummarizedResponse>(&result)) {
        summaries.responses.insert_or_assign(messageId, *summary);
        return;
    }
    const ApiError& error = std::get<ApiError>(result);
    if (error.detail() == ApiError::Detail::signedOut) {
        return; // what was kept went with the sign-out
    }
    if (error.detail() == ApiError::Detail::userCheckFailed) {
        // No summary was asked for, so the cache stays as it was.
        if (window) {
            window->requestFailed = true;
        }
        return;
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

SummarizeStateManager::SummarizeStateManager(ComposeWindow& window, QObject* parent)
    : QObject(parent)
    , window_(window)
    , summarizeResponseKey_(PanelKeys::summarizeResponseKey(window.storageId())) {}

void SummarizeStateManager::setSummarizeLoading(bool loading) {
    if (assignChanged(isSummarizeLoading_, loading)) {
        emit isSummarizeLoadingChanged();
    }
}

void SummarizeStateManager::setSummarizeResponse(const std::optional<QString>& summary) {
    if (assignChanged(summarizeResponse_, summary)) {
        emit summarizeResponseChanged();
    }
}

void SummarizeStateManager::loadSavedSummary() {
    setSummarizeResponse(window_.services().defaults.string(summarizeResponseKey_));
}

void SummarizeStateManager::requestSummary() {
    if (summarizeResponse_ || isSummarizeLoading_) {
        return;
    }
    // A message whose text could not be read (not UTF-8, say) has nothing to summarize: asking
    // would keep the engine's "no text" as its summary and never offer the paste box.
    if (window_.summaryText().trimmed().isEmpty()) {
        window_.requestFailed = true;
        return;
    }
    setSummarizeLoading(true);
    const std::optional<QString> sentWith = window_.services().auth.accessToken();
    runSummaryRequest(
        [self = QPointer(this), sentWith](const ApiResult<SummarizedResponse>& outcome) {
            if (!self) {
                return;
            }
            // Logging out cleared what was kept; a summary arriving after it must not bring it
            // back.
            const bool signedInStill = self->window_.services().auth.stillSignedInWith(sentWith);
            if (const auto* result = std::get_if<SummarizedResponse>(&outcome);
                result && signedInStill) {
                self->setSummarizeResponse(result->response);
                UserDefaults& defaults = self->window_.services().defaults;
                (void)defaults.set(PanelKeys::summaryDoneFlag(self->window_.storageId()),
                                   true); // failures are logged
                // Reloading after a failed write would replace the new summary on screen.
                if (defaults.set(self->summarizeResponseKey_, result->response)) {
                    self->loadSavedSummary();
                }
            }
            self->setSummarizeLoading(false);
        });
}

void SummarizeStateManager::summarizeFromPanel() {
    setSummarizeLoading(true);
    // The outcome is logged even when the panel closed first; only the state goes with it.
    runSummaryRequest([self = QPointer(this)](const ApiResult<SummarizedResponse>& outcome) {
        const auto* result = std::get_if<SummarizedResponse>(&outcome);
        if (result) {
            Log::line("Summarization successful: " +
                      recordText("SummarizedResponse", {{"messageId", result->messageId},
                                                        {"response", result->response}}));
        } else if (const auto detail = std::get<ApiError>(outcome).detail();
                   detail != ApiError::Detail::userCheckFailed &&
                   detail != ApiError::Detail::signedOut) {
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

void SummarizeStateManager::runSummaryRequest(const ApiCompletion<SummarizedResponse>& handler) {
    const ExtensionServices& services = window_.services();
    const std::optional<QString> token = services.auth.accessToken();
    const QString email = services.userDetails.email();
    const ReplyContext& context = window_.context();
    const QString content = window_.summaryText();
    const QString messageId = context.messageId.value_or(QString());
    (void)window_.storeFallbackContent(content); // a failed write is logged by the store

    const QString apiUrl = services.api.currentApiUrl();
    const std::optional<QUrl> url = parseUrl(apiUrl + QStringLiteral("/summarize"));
    if (!url) {
        services.mainQueue.async([handler] { handler(ApiError::invalidResponse()); });
        return;
    }
    if (!token) {
        Log::line("Access token is null in summarize API call");
        services.mainQueue.async([handler] { handler(ApiError::invalidResponse()); });
        return;
    }
    UserDetailsManager& userDetails = services.userDetails;
    HandleApiRequests(services).summarize(
        *url, apiUrl + QStringLiteral("/me"), *token, SummarizeRequestBody{content, email},
        messageId, [&userDetails](const UserDetails& details) { details.storeIn(userDetails); },
        // After a sign-out the token is no longer this user's to send, nor the details theirs.
        [&auth = services.auth, sentWith = token] { return auth.stillSignedInWith(sentWith); },
        [messageId, handler, &summaries = services.summaries,
         window = QPointer(&window_)](const ApiResult<SummarizedResponse>& result) {
            fileSummary(result, messageId, summaries, window.data());
            handler(result);
        });
}

QVariant SummarizeStateManager::summarizeResponseValue() const {
    return optionalTextValue(summarizeResponse_);
}
