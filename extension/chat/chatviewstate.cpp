#include "chat/chatviewstate.h"

#include "api/handleapirequests.h"
#include "stores/assignchanged.h"
#include "stores/chaterrortext.h"
#include "stores/optionaltext.h"

#include <QPointer>
#include <algorithm>

namespace {

/// Runs `work` with the state and the result, unless the view is gone by then or its user
/// signed out.
template <typename Response>
ApiCompletion<Response> whileAlive(ChatViewState* state,
                                   void (*work)(ChatViewState&, ApiResult<Response>)) {
    return [self = QPointer(state), work](ApiResult<Response> result) {
        if (self && self->signedInStill()) {
            work(*self, std::move(result));
        }
    };
}

} // namespace

ChatViewState::ChatViewState(QObject* parent)
    : QObject(parent) {}

ChatViewState::ChatViewState(ComposeWindow& window, QObject* parent)
    : QObject(parent) {
    setWindow(&window);
}

void ChatViewState::setWindow(ComposeWindow* window) {
    if (window_ || !window) {
        return;
    }
    window_ = window;
    signedInWith_ = window->services().auth.accessToken();
    messages_ = new ChatMessages(window->services().defaults,
                                 ChatHistory::keyFor(window->storageId()), this);
    emit windowChanged();
}

ChatErrorText* ChatViewState::chatError() const {
    return window_ ? &window_->chatError() : nullptr;
}

const Conversation& ChatViewState::entries() const {
    static const Conversation none;
    return messages_ ? messages_->entries() : none;
}

QString ChatViewState::userDefaultsKey() const {
    return messages_ ? messages_->history().key() : QString();
}

void ChatViewState::setNewMessageText(const QString& text) {
    if (assignChanged(newMessageText_, text)) {
        emit newMessageTextChanged();
    }
}

void ChatViewState::setLoading(bool loading) {
    if (assignChanged(isLoading_, loading)) {
        emit isLoadingChanged();
    }
}

void ChatViewState::loadMessages() {
    if (messages_) {
        messages_->load();
    }
}

bool ChatViewState::signedInStill() const {
    return window_ && window_->services().auth.stillSignedInWith(signedInWith_);
}

void ChatViewState::saveMessages() {
    if (messages_ && signedInStill()) {
        messages_->save();
    }
}

void ChatViewState::submitMessage() {
    // One question at a time: each answer sends the latest question, so a second one sent
    // before the first is answered would be answered twice and the first never.
    if (newMessageText_.isEmpty() || isLoading_ || !signedInStill()) {
        return;
    }
    messages_->append(Message::question(newMessageText_));
    setNewMessageText(QString());
    if (assistantId_ && threadId_) {
        sendLatestQuestion();
    } else {
        openChat();
    }
}

void ChatViewState::openChat() {
    if (!window_) {
        return;
    }
    setLoading(true);
    const ExtensionServices& services = window_->services();
    const ChatStartBody body{
        .email = services.userDetails.email(),
        .email_content = window_->context().content.value_or(QStringLiteral("Compose session")),
    };
    HandleApiRequests(services).startChat(
        QUrl(services.api.currentApiUrl() + QStringLiteral("/chat/start")),
        services.auth.accessToken().value_or(QString()), body,
        whileAlive<ChatStartResponse>(this, [](ChatViewState& self, auto result) {
            self.setLoading(false);
            if (const auto* error = std::get_if<ApiError>(&result)) {
                self.showChatError(*error, "Error from start chat is:");
                return;
            }
            const auto& started = std::get<ChatStartResponse>(result);
            self.assistantId_ = started.assistantId;
            self.threadId_ = started.threadId;
            emit self.chatChanged();
            if (self.window_) {
                StartChatManager& chats = self.window_->services().chats;
                chats.assistantId = started.assistantId;
                chats.threadId = started.threadId;
            }
            self.sendLatestQuestion();
        }));
}

void ChatViewState::sendLatestQuestion() {
    if (!assistantId_ || !threadId_ || !window_) {
        return;
    }
    const Conversation& entries = messages_->entries();
    const auto latest = std::find_if(entries.rbegin(), entries.rend(),
                                     [](const Message& m) { return m.isSentByCurrentUser; });
    if (latest == entries.rend() || !latest->text) {
        return;
    }
    const ExtensionServices& services = window_->services();
    const ChatBody body{
        .assistantId = *assistantId_,
        .threadId = *threadId_,
        .email = services.userDetails.email(),
        .content = *latest->text,
    };
    setLoading(true);
    HandleApiRequests(services).sendChatMessage(
        QUrl(services.api.currentApiUrl() + QStringLiteral("/chat/send")),
        services.auth.accessToken().value_or(QString()), body,
        whileAlive<ChatResponse>(this, [](ChatViewState& self, auto result) {
            self.setLoading(false);
            if (const auto* error = std::get_if<ApiError>(&result)) {
                self.showChatError(*error, "Error from chat message is:");
                return;
            }
            self.messages_->append(Message::answer(std::get<ChatResponse>(result).response));
            if (ChatErrorText* error = self.chatError()) {
                error->setText(std::nullopt);
            }
        }));
}

void ChatViewState::showChatError(const ApiError& error, const char* linePrefix) {
    // An answer without a body was never logged as an error, so it is not logged now either.
    if (error.detail() != ApiError::Detail::noBody) {
        Log::line(linePrefix, error.text());
    }
    const Conversation& entries = this->entries();
    if (std::any_of(entries.begin(), entries.end(),
                    [](const Message& m) { return m.isSentByCurrentUser; })) {
        // The rows follow the message's text, so nothing needs rebuilding here.
        chatError()->setText(errorText);
    } else {
        Log::line("No message sent by the current user was found.");
    }
    saveMessages();
}

QVariant ChatViewState::assistantIdValue() const {
    return optionalTextValue(assistantId_);
}

QVariant ChatViewState::threadIdValue() const {
    return optionalTextValue(threadId_);
}
