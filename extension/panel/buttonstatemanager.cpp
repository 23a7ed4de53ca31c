#include "panel/buttonstatemanager.h"

#include "stores/assignchanged.h"
#include "stores/optionaltext.h"
#include "stores/panelkeys.h"
#include "url.h"

#include <QPointer>

ButtonStateManager::ButtonStateManager(ComposeWindow& window, QObject* parent)
    : QObject(parent)
    , window_(window)
    , summarizeResponseKey_(PanelKeys::summarizeResponseKey(window.storageId()))
    , generateResponseKey_(PanelKeys::generateResponseKey(window.storageId())) {}

void ButtonStateManager::setGenerateResponseLoading(bool loading) {
    if (assignChanged(isGenerateResponseLoading_, loading)) {
        emit isGenerateResponseLoadingChanged();
    }
}

void ButtonStateManager::setGenerateResponse(const std::optional<QString>& reply) {
    if (assignChanged(generateResponse_, reply)) {
        emit generateResponseChanged();
    }
}

void ButtonStateManager::setSummarizeResponse(const std::optional<QString>& summary) {
    if (assignChanged(summarizeResponse_, summary)) {
        emit summarizeResponseChanged();
    }
}

void ButtonStateManager::setShowToast(bool show) {
    if (!assignChanged(showToast_, show)) {
        return;
    }
    emit showToastChanged();
    if (show) {
        // Never cancelled: a toast shown again before this runs still hides on time.
        window_.services().mainQueue.asyncAfter(toastSeconds, [self = QPointer(this)] {
            if (self) {
                self->setShowToast(false);
            }
        });
    }
}

void ButtonStateManager::setToastMessage(const QString& message) {
    if (assignChanged(toastMessage_, message)) {
        emit toastMessageChanged();
    }
}

void ButtonStateManager::toast(const QString& message) {
    setToastMessage(message);
    setShowToast(true);
}

void ButtonStateManager::loadSavedResponses() {
    const UserDefaults& defaults = window_.services().defaults;
    setSummarizeResponse(defaults.string(summarizeResponseKey_));
    setGenerateResponse(defaults.string(generateResponseKey_));
}

QVariant ButtonStateManager::summarizeResponseValue() const {
    return optionalTextValue(summarizeResponse_);
}

QVariant ButtonStateManager::generateResponseValue() const {
    return optionalTextValue(generateResponse_);
}

void ButtonStateManager::generateReply() {
    // A second press would end the progress with the first answer and then put the older draft
    // over the newer one, besides asking the model twice.
    if (isGenerateResponseLoading_) {
        return;
    }
    setGenerateResponseLoading(true);
    const ExtensionServices& services = window_.services();
    const std::optional<QString> token = services.auth.accessToken();
    const QString email = services.userDetails.email();
    const std::optional<QString> content = window_.messageText();
    const QString messageId = window_.context().messageId.value_or(QString());

    const std::optional<QUrl> url =
        parseUrl(services.api.currentApiUrl() + QStringLiteral("/response"));
    if (!url) {
        Log::line("Invalid URL");
        failReply(QStringLiteral("Invalid URL"));
        return;
    }
    if (!token) {
        Log::line("Access token is null in generate response API call");
        failReply(QStringLiteral("Access token is null"));
        return;
    }
    // A summary of a message without text keeps an empty one as pasted; a draft from nothing
    // would be a stock greeting shown as a success.
    if (!content || content->trimmed().isEmpty()) {
        failReply(QStringLiteral("There is no message text to reply to."));
        return;
    }
    HandleApiRequests(services).generateResponse(
        *url, *token, GenerateResponseBody{messageId, *content, email}, messageId,
        [self = QPointer(this), sentWith = *token](const ApiResult<GeneratedResponse>& result) {
            if (self) {
                self->showReplyResult(result, sentWith);
            }
        });
}

void ButtonStateManager::showReplyResult(const ApiResult<GeneratedResponse>& result,
                                         const QString& sentWith) {
    // Logging out cleared what was kept; a reply arriving after it must not bring it back.
    if (!window_.services().auth.stillSignedInWith(sentWith)) {
        setGenerateResponseLoading(false);
        return;
    }
    if (const auto* reply = std::get_if<GeneratedResponse>(&result)) {
        showReply(reply->response);
    } else {
        toast(std::get<ApiError>(result).message());
    }
    setGenerateResponseLoading(false);
}

void ButtonStateManager::showReply(const QString& reply) {
    setGenerateResponse(reply);
    UserDefaults& defaults = window_.services().defaults;
    // Failed writes are logged by the store; the reply on screen stays.
    (void)defaults.set(PanelKeys::replyDoneFlag(window_.storageId()), true);
    (void)defaults.set(generateResponseKey_, reply);
    toast(QStringLiteral("Response generated successfully."));
}

void ButtonStateManager::failReply(const QString& error) {
    window_.services().mainQueue.async([self = QPointer(this), error] {
        if (self) {
            self->toast(error);
            self->setGenerateResponseLoading(false);
        }
    });
}
