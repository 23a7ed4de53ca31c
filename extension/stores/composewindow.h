#pragma once

#include "stores/chaterrortext.h"
#include "stores/extensionservices.h"
#include "stores/replycontext.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <memory>
#include <optional>

/// One compose window's reply context, taken when its session began, the services its state
/// objects work with, and what the window's panels share: whether a summary failed, the text to
/// summarize without content, the chat error of its message. Lives on the main thread.
class ComposeWindow : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made for each compose session")

public:
    ComposeWindow(ReplyContext context, QString storageId, std::shared_ptr<ChatErrorText> chatError,
                  const ExtensionServices& services)
        : context_(std::move(context))
        , storageId_(std::move(storageId))
        , chatError_(std::move(chatError))
        , services_(services) {}

    [[nodiscard]] const ReplyContext& context() const { return context_; }
    /// What the message's stored results are kept under: `storageIdOf(context())`.
    [[nodiscard]] const QString& storageId() const { return storageId_; }
    [[nodiscard]] ChatErrorText& chatError() const { return *chatError_; }
    [[nodiscard]] const ExtensionServices& services() const { return services_; }

    /// Keeps `text` as the message's text to summarize, also across sessions; false when the
    /// write failed, which the store has logged.
    bool storeFallbackContent(const QString& text) const;
    /// The text last kept for the message, in this or an earlier session.
    [[nodiscard]] std::optional<QString> loadFallbackContent() const;
    /// What a reply answers: the message's content, else the text kept in its stead.
    [[nodiscard]] std::optional<QString> messageText() const {
        return context_.content ? context_.content : loadFallbackContent();
    }

    /// Set when a summary request of this window got no summary.
    bool requestFailed = false;
    /// The paste box's text, summarized when the message has no content.
    QString fallbackSummarizeContent;
    /// What a summary is asked of: the message's content, else the paste box's text.
    [[nodiscard]] QString summaryText() const {
        return context_.content.value_or(fallbackSummarizeContent);
    }

private:
    const ReplyContext context_;
    const QString storageId_;
    const std::shared_ptr<ChatErrorText> chatError_;
    const ExtensionServices services_;
};
