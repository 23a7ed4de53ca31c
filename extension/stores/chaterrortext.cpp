#include "stores/chaterrortext.h"

#include "stores/assignchanged.h"
#include "stores/optionaltext.h"

#include <map>

std::shared_ptr<ChatErrorText> ChatErrorText::forMessage(const QString& chatKey) {
    // Weakly, so that the text goes with the last window of its message.
    static std::map<QString, std::weak_ptr<ChatErrorText>> texts;
    std::erase_if(texts, [](const auto& entry) { return entry.second.expired(); });
    std::weak_ptr<ChatErrorText>& slot = texts[chatKey];
    std::shared_ptr<ChatErrorText> text = slot.lock();
    if (!text) {
        text.reset(new ChatErrorText());
        slot = text;
    }
    return text;
}

void ChatErrorText::setText(const std::optional<QString>& text) {
    if (assignChanged(text_, text)) {
        emit textChanged();
    }
}

QVariant ChatErrorText::textValue() const {
    return optionalTextValue(text_);
}
