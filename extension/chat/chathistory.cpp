#include "chat/chathistory.h"

#include "log.h"

#include <QDateTime>

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
        unreadable_.reset();
        return true;
    }
    Log::write("Failed to load messages: " + std::get<QString>(decoded));
    unreadable_ = stored;
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
    if ((unreadable_ && !setAsideUnreadable()) || !defaults_.set(key_, encoded_)) {
        return false;
    }
    stored_ = encoded_;
    return true;
}

bool ChatHistory::setAsideUnreadable() {
    // One damaged entry makes the whole value unreadable; the rest of it may still be worth
    // recovering by hand, so it is never written over.
    const QString stamped = key_ + QStringLiteral(" unreadable ") +
                            QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    QString aside = stamped;
    for (int copy = 2; defaults_.data(aside); ++copy) {
        aside = stamped + QLatin1Char(' ') + QString::number(copy);
    }
    if (!defaults_.set(aside, *unreadable_)) {
        return false;
    }
    Log::write("Unreadable messages kept under \"" + aside + '"');
    unreadable_.reset();
    return true;
}

bool ChatHistory::changedElsewhere() const {
    const std::optional<QByteArray> stored = defaults_.data(key_);
    // Only a different value is decoded, so an append costs no parse of the conversation.
    return stored && stored != stored_ &&
           std::holds_alternative<Conversation>(decodeConversation(*stored));
}
