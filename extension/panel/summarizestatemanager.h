#pragma once

#include "api/apiresult.h"
#include "stores/composewindow.h"
#include "stores/summarizedresponse.h"

#include <QObject>
#include <QString>
#include <QVariant>
#include <QtQml/qqmlregistration.h>
#include <optional>

/// The automatic summary of the panel and its loading flag.
class SummarizeStateManager : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made with its compose window")
    Q_PROPERTY(
        bool isSummarizeLoading READ isSummarizeLoading NOTIFY isSummarizeLoadingChanged FINAL)
    Q_PROPERTY(QVariant summarizeResponse READ summarizeResponseValue NOTIFY
                   summarizeResponseChanged FINAL)
    // Kept for the views' sake; nothing changes them.
    Q_PROPERTY(bool showAlert READ showAlert CONSTANT FINAL)
    Q_PROPERTY(QString alertMessage READ alertMessage CONSTANT FINAL)
    Q_PROPERTY(bool showToast READ showToast CONSTANT FINAL)
    Q_PROPERTY(QString toastMessage READ toastMessage CONSTANT FINAL)
    Q_PROPERTY(QString summarizeResponseKey READ summarizeResponseKey CONSTANT FINAL)

public:
    /// The key is that of the window's message.
    explicit SummarizeStateManager(ComposeWindow& window, QObject* parent = nullptr);

    [[nodiscard]] ComposeWindow& window() const { return window_; }

    [[nodiscard]] bool isSummarizeLoading() const { return isSummarizeLoading_; }
    void setSummarizeLoading(bool loading);
    [[nodiscard]] const std::optional<QString>& summarizeResponse() const {
        return summarizeResponse_;
    }
    void setSummarizeResponse(const std::optional<QString>& summary);
    [[nodiscard]] bool showAlert() const { return false; }
    [[nodiscard]] QString alertMessage() const { return {}; }
    [[nodiscard]] bool showToast() const { return false; }
    [[nodiscard]] QString toastMessage() const { return {}; }
    [[nodiscard]] const QString& summarizeResponseKey() const { return summarizeResponseKey_; }

    /// Takes the stored summary of this message, or absent when none is stored.
    Q_INVOKABLE void loadSavedSummary();
    /// Asks for a summary unless one is shown or being fetched, or the message has no text,
    /// which fails the window's request instead; a result is stored.
    Q_INVOKABLE void requestSummary();
    /// The panel's "Summarize" button: shows a summary without storing it.
    void summarizeFromPanel();

signals:
    void isSummarizeLoadingChanged();
    void summarizeResponseChanged();

private:
    ComposeWindow& window_;
    [[nodiscard]] QVariant summarizeResponseValue() const;
    /// Summarizes the window's message (its text, else the window's fallback text) for the
    /// signed-in user. The summary cache and the failure flags are updated on the main thread
    /// before `handler` runs.
    void runSummaryRequest(const ApiCompletion<SummarizedResponse>& handler);

    bool isSummarizeLoading_ = false;
    std::optional<QString> summarizeResponse_;
    const QString summarizeResponseKey_;
};
