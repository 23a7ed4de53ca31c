#include "chaterrortext.h"

#include "assignchanged.h"
#include "optionaltext.h"

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
