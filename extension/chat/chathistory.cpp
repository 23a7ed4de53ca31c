#include "chat/chathistory.h"

#include "log.h"

QString ChatHistory::keyFor(const QString& storageId) {
    return QStringLiteral("reply ") + storageId;
}

bool ChatHistory::loadMessages() {
    const std::optional<QByteArray> stored = defaults_.data(key_);
    if (!stored) {
        return false;
    }
    std::variant<Conversation, QString> decoded = decodeConversation(*stored);
    if (auto* conversation = std::get_if<Conversation>(&decoded)) {
        messages_ = std::move(*conversation);
        encoded_ = *stored;
        stored_ = stored;
        return true;
    }
    Log::write("Failed to load messages: " + std::get<QString>(decoded));
    return false;
}

bool ChatHistory::append(Message message) {
    encoded_ = messages_.empty() ? encodeConversation({message})
                                 : appendToEncoded(std::move(encoded_), message);
    messages_.push_back(std::move(message));
    return write();
}

bool ChatHistory::saveMessages() {
    return !changedElsewhere() && write();
}

bool ChatHistory::write() {
    // The store logs a failed write itself and keeps the previous value whole.
    if (!defaults_.set(key_, encoded_)) {
        return false;
    }
    stored_ = encoded_;
    return true;
}

bool ChatHistory::changedElsewhere() const {
    const std::optional<QByteArray> stored = defaults_.data(key_);
    // Only a different value is decoded, so an append costs no parse of the conversation.
    return stored && stored != stored_ &&
           std::holds_alternative<Conversation>(decodeConversation(*stored));
}
