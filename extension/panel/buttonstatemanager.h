#pragma once

#include "api/handleapirequests.h"
#include "stores/composewindow.h"

#include <QObject>
#include <QString>
#include <QVariant>
#include <QtQml/qqmlregistration.h>
#include <optional>

/// The reply shown in the panel, its loading flag and the panel's toast.
class ButtonStateManager : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made with its compose window")
    Q_PROPERTY(ComposeWindow* window READ windowObject CONSTANT FINAL)
    // Kept for the views' sake; nothing changes the summary flag or the alert here.
    Q_PROPERTY(bool isSummarizeLoading READ isSummarizeLoading CONSTANT FINAL)
    Q_PROPERTY(bool isGenerateResponseLoading READ isGenerateResponseLoading NOTIFY
                   isGenerateResponseLoadingChanged FINAL)
    Q_PROPERTY(QVariant summarizeResponse READ summarizeResponseValue NOTIFY
                   summarizeResponseChanged FINAL)
    Q_PROPERTY(
        QVariant generateResponse READ generateResponseValue NOTIFY generateResponseChanged FINAL)
    Q_PROPERTY(bool showAlert READ showAlert CONSTANT FINAL)
    Q_PROPERTY(QString alertMessage READ alertMessage CONSTANT FINAL)
    Q_PROPERTY(bool showToast READ showToast WRITE setShowToast NOTIFY showToastChanged FINAL)
    Q_PROPERTY(QString toastMessage READ toastMessage NOTIFY toastMessageChanged FINAL)
    Q_PROPERTY(QString summarizeResponseKey READ summarizeResponseKey CONSTANT FINAL)
    Q_PROPERTY(QString generateResponseKey READ generateResponseKey CONSTANT FINAL)

public:
    /// Seconds a toast stays visible.
    static constexpr double toastSeconds = 5.0;

    /// The keys are those of the window's message.
    explicit ButtonStateManager(ComposeWindow& window, QObject* parent = nullptr);

    [[nodiscard]] ComposeWindow& window() const { return window_; }

    [[nodiscard]] bool isSummarizeLoading() const { return false; }
    [[nodiscard]] bool isGenerateResponseLoading() const { return isGenerateResponseLoading_; }
    void setGenerateResponseLoading(bool loading);
    [[nodiscard]] const std::optional<QString>& summarizeResponse() const {
        return summarizeResponse_;
    }
    [[nodiscard]] const std::optional<QString>& generateResponse() const {
        return generateResponse_;
    }
    void setGenerateResponse(const std::optional<QString>& reply);
    [[nodiscard]] bool showAlert() const { return false; }
    [[nodiscard]] QString alertMessage() const { return {}; }
    [[nodiscard]] bool showToast() const { return showToast_; }
    /// A change to true hides the toast again after `toastSeconds`.
    void setShowToast(bool show);
    [[nodiscard]] const QString& toastMessage() const { return toastMessage_; }
    void setToastMessage(const QString& message);
    /// Shows `message` in the toast.
    void toast(const QString& message);
    [[nodiscard]] const QString& summarizeResponseKey() const { return summarizeResponseKey_; }
    [[nodiscard]] const QString& generateResponseKey() const { return generateResponseKey_; }

    /// Takes the stored summary and reply of this message, or absent where none is stored.
    Q_INVOKABLE void loadSavedResponses();
    /// The generate and regenerate buttons: asks for a reply to the window's message, stores it
    /// and toasts the outcome. Ignored while a reply is awaited.
    void generateReply();

signals:
    void isGenerateResponseLoadingChanged();
    void summarizeResponseChanged();
    void generateResponseChanged();
    void showToastChanged();
    void toastMessageChanged();

private:
    ComposeWindow& window_;
    [[nodiscard]] ComposeWindow* windowObject() const { return &window_; }
    [[nodiscard]] QVariant summarizeResponseValue() const;
    [[nodiscard]] QVariant generateResponseValue() const;
    void setSummarizeResponse(const std::optional<QString>& summary);
    void showReply(const QString& reply);
    /// Shows and keeps the reply, unless nobody is signed in with `sentWith` any more.
    void showReplyResult(const ApiResult<GeneratedResponse>& result, const QString& sentWith);
    /// Toasts `error` once the main queue gets to it, as a request's failure would.
    void failReply(const QString& error);

    bool isGenerateResponseLoading_ = false;
    std::optional<QString> summarizeResponse_;
    std::optional<QString> generateResponse_;
    bool showToast_ = false;
    QString toastMessage_;
    const QString summarizeResponseKey_;
    const QString generateResponseKey_;
};
