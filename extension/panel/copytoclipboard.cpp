#include "panel/copytoclipboard.h"

#include "platform.h"

void copyToClipboard(const QString& text) {
    Platform::current().pasteboard().setString(text);
}
