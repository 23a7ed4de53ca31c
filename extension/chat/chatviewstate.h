#pragma once

#include "chat/chatmessages.h"
#include "stores/composewindow.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QtQml/qqmlregistration.h>
#include <optional>

class ApiError;

/// What a chat view keeps and does: its conversation, the text being typed, the open backend
/// chat and the requests that ask it. Lives on the main thread.
class ChatViewState : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(
        ComposeWindow* window READ window WRITE setWindow NOTIFY windowChanged REQUIRED FINAL)
    Q_PROPERTY(ChatMessages* messages READ messages NOTIFY windowChanged FINAL)
    Q_PROPERTY(ChatErrorText* chatError READ chatError NOTIFY windowChanged FINAL)
    Q_PROPERTY(QString newMessageText READ newMessageText WRITE setNewMessageText NOTIFY
                   newMessageTextChanged FINAL)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged FINAL)
    Q_PROPERTY(QVariant assistantId READ assistantIdValue NOTIFY chatChanged FINAL)
    Q_PROPERTY(QVariant threadId READ threadIdValue NOTIFY chatChanged FINAL)
    Q_PROPERTY(QString userDefaultsKey READ userDefaultsKey NOTIFY windowChanged FINAL)

public:
    static inline const QString errorText =
        QStringLiteral("Something went wrong, please try again");

    /// A view's state does nothing until its window is set.
    explicit ChatViewState(QObject* parent = nullptr);
    explicit ChatViewState(ComposeWindow& window, QObject* parent = nullptr);

    [[nodiscard]] ComposeWindow* window() const { return window_; }
    /// Takes the window's message, once; the conversation is that message's.
    void setWindow(ComposeWindow* window);
    [[nodiscard]] ChatMessages* messages() const { return messages_; }
    [[nodiscard]] ChatErrorText* chatError() const;
    [[nodiscard]] const Conversation& entries() const;
    [[nodiscard]] const QString& newMessageText() const { return newMessageText_; }
    void setNewMessageText(const QString& text);
    [[nodiscard]] bool isLoading() const { return isLoading_; }
    [[nodiscard]] const std::optional<QString>& assistantId() const { return assistantId_; }
    [[nodiscard]] const std::optional<QString>& threadId() const { return threadId_; }
    [[nodiscard]] QString userDefaultsKey() const;

    /// Whether the user this view was made for is still the one signed in. A sign-out clears
    /// what was stored; a view still standing after it must not store its conversation again,
    /// nor show it to whoever signs in next.
    [[nodiscard]] bool signedInStill() const;

    Q_INVOKABLE void loadMessages();
    Q_INVOKABLE void saveMessages();
    /// Adds the typed question and sends it, opening a backend chat first when none is open.
    Q_INVOKABLE void submitMessage();
    Q_INVOKABLE void openChat();
    /// Sends the newest question into the open chat.
    Q_INVOKABLE void sendLatestQuestion();

signals:
    void windowChanged();
    void newMessageTextChanged();
    void isLoadingChanged();
    void chatChanged();

private:
    void setLoading(bool loading);
    /// Logs a failed request after `linePrefix` and shows the error under the newest question.
    void showChatError(const ApiError& error, const char* linePrefix);
    [[nodiscard]] QVariant assistantIdValue() const;
    [[nodiscard]] QVariant threadIdValue() const;

    QPointer<ComposeWindow> window_;
    std::optional<QString> signedInWith_; // the token when the window was set
    ChatMessages* messages_ = nullptr;    // a child, made with the window
    QString newMessageText_;
    bool isLoading_ = false;
    std::optional<QString> assistantId_;
    std::optional<QString> threadId_;
};
