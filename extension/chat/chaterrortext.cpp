#include "chat/chaterrortext.h"

#include "panel/assignchanged.h"
#include "panel/optionaltext.h"

ChatErrorText& ChatErrorText::shared() {
    static ChatErrorText instance;
    return instance;
}

void ChatErrorText::setText(const std::optional<QString>& text) {
    if (assignChanged(text_, text)) {
        emit textChanged();
    }
}

QVariant ChatErrorText::textValue() const {
    return optionalTextValue(text_);
}
