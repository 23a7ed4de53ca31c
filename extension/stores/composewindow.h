#pragma once

#include "stores/chaterrortext.h"
#include "stores/replycontext.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <memory>

/// One compose window's reply context, taken when its session began, and what the window's
/// panels share: whether a summary failed, the text to summarize without content, the chat
/// error of its message. Lives on the main thread.
class ComposeWindow : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made for each compose session")

public:
    ComposeWindow(ReplyContext context, std::shared_ptr<ChatErrorText> chatError)
        : context_(std::move(context))
        , chatError_(std::move(chatError)) {}

    [[nodiscard]] const ReplyContext& context() const { return context_; }
    [[nodiscard]] ChatErrorText& chatError() const { return *chatError_; }

    /// Set when a summary request of this window got no summary.
    bool requestFailed = false;
    /// The paste box's text, summarized when the message has no content.
    QString fallbackSummarizeContent;

private:
    const ReplyContext context_;
    const std::shared_ptr<ChatErrorText> chatError_;
};
