#include "panel/sessionpanel.h"

#include "api/handleapirequests.h"
#include "stores/assignchanged.h"
#include "stores/panelkeys.h"
#include "url.h"

SessionPanel::SessionPanel(QObject* parent)
    : QObject(parent) {}

void SessionPanel::setButtonStateManager(ButtonStateManager* buttons) {
    if (buttons == buttons_) {
        return;
    }
    if (buttons_) {
        disconnect(buttons_, nullptr, this, nullptr);
    }
    buttons_ = buttons;
    if (buttons_ && assignChanged(textareaInput_, buttons_->window().fallbackSummarizeContent)) {
        emit textareaInputChanged();
    }
    if (buttons_) {
        // The reply-done flag is written after the reply is set; any later change re-reads it.
        for (const auto signal : {&ButtonStateManager::generateResponseChanged,
                                  &ButtonStateManager::isGenerateResponseLoadingChanged,
                                  &ButtonStateManager::showToastChanged}) {
            connect(buttons_, signal, this, &SessionPanel::follow);
        }
    }
    emit stateManagersChanged();
    follow();
}

void SessionPanel::setSummarizeStateManager(SummarizeStateManager* summary) {
    if (summary == summary_) {
        return;
    }
    if (summary_) {
        disconnect(summary_, nullptr, this, nullptr);
    }
    summary_ = summary;
    if (summary_) {
        connect(summary_, &SummarizeStateManager::summarizeResponseChanged, this,
                &SessionPanel::follow);
        connect(summary_, &SummarizeStateManager::isSummarizeLoadingChanged, this,
                &SessionPanel::follow);
    }
    emit stateManagersChanged();
    follow();
}

bool SessionPanel::showsSummaryArea() const {
    return buttons_ && buttons_->window().context().subject.has_value();
}

// Recomputed whenever a state object announces a change, as the view rebuilds then; the
// failure flag and the reply-done flag are read afresh each time.
void SessionPanel::follow() {
    SummarySection section = SummarySection::Nothing;
    if (summary_ && summary_->summarizeResponse()) {
        section = SummarySection::Card;
    } else if (summary_ && summary_->window().requestFailed) {
        section = SummarySection::ContentUnavailable;
    } else if (summary_ && summary_->isSummarizeLoading()) {
        section = SummarySection::Progress;
    }
    if (assignChanged(summarySection_, section)) {
        emit summarySectionChanged();
    }
    const bool regenerate =
        buttons_ && buttons_->generateResponse() &&
        buttons_->window()
            .services()
            .defaults.flag(PanelKeys::replyDoneFlag(buttons_->window().storageId()))
            .value_or(false);
    if (assignChanged(showsRegenerateLayout_, regenerate)) {
        emit showsRegenerateLayoutChanged();
    }
}

void SessionPanel::setTextareaInput(const QString& text) {
    if (!assignChanged(textareaInput_, text)) {
        return;
    }
    if (buttons_) {
        buttons_->window().fallbackSummarizeContent = text;
        (void)buttons_->window().storeFallbackContent(text); // failures are logged by the store
    }
    emit textareaInputChanged();
}

void SessionPanel::logout() {
    if (buttons_) {
        buttons_->window().services().auth.logoutPressed();
    }
}

void SessionPanel::summaryAreaShown() {
    if (summary_ && summary_->window().services().auth.hasAccessToken()) {
        summary_->requestSummary();
        follow(); // a message without text is offered the paste box at once
    }
}

void SessionPanel::pasteBoxShown() {
    if (!buttons_) {
        return;
    }
    const QString stored = buttons_->window().loadFallbackContent().value_or(QString());
    if (assignChanged(textareaInput_, stored)) {
        emit textareaInputChanged();
    }
    buttons_->window().fallbackSummarizeContent = textareaInput_;
}

void SessionPanel::summarize() {
    if (summary_) {
        summary_->summarizeFromPanel();
    }
}

void SessionPanel::generateReply() {
    if (buttons_) {
        buttons_->generateReply();
    }
}

void SessionPanel::sendTrainingExample() {
    if (!buttons_) {
        return;
    }
    const ExtensionServices& services = buttons_->window().services();
    const std::optional<QUrl> url =
        parseUrl(services.api.currentApiUrl() + QStringLiteral("/create-training-data"));
    if (!url) {
        Log::line("Invalid URL");
        return;
    }
    const ReplyContext& context = buttons_->window().context();
    if (context.messageId.value_or(QString()).isEmpty()) {
        Log::line("Session message id is nil");
    }
    const std::optional<QString> reply = buttons_->generateResponse();
    // The question is what the reply answered, pasted when the message has no content.
    const TrainingDataBody body{services.userDetails.email(),
                                buttons_->window().messageText().value_or(QString()),
                                reply.value_or(QStringLiteral("No response available"))};
    HandleApiRequests(services).submitTrainingData(
        *url, services.auth.accessToken().value_or(QString()), body,
        [buttons = buttons_](const ApiResult<QString>& result) {
            // A failure was logged and shows nothing.
            const auto* success = std::get_if<QString>(&result);
            if (buttons && success) {
                buttons->toast(success->isEmpty()
                                   ? QStringLiteral("Failed to submit training data.")
                                   : QStringLiteral("Success: ") + *success);
            }
        });
}

void SessionPanel::copyReply() {
    if (!buttons_) {
        return;
    }
    const ExtensionServices& services = buttons_->window().services();
    services.pasteboard.setString(buttons_->generateResponse().value_or(QString()));
    setShowTooltip(true);
    // Never cancelled: a second copy does not extend the first one's tooltip.
    services.mainQueue.asyncAfter(tooltipSeconds, [self = QPointer(this)] {
        if (self) {
            self->setShowTooltip(false);
        }
    });
}

void SessionPanel::setShowTooltip(bool show) {
    if (assignChanged(showTooltip_, show)) {
        emit showTooltipChanged();
    }
}
