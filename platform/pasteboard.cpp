#include "pasteboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

void QtPasteboard::setString(const QString& text) {
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        clipboard->setText(text);
    }
}

std::optional<QString> QtPasteboard::string() const {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    if (data == nullptr || !data->hasText()) {
        return std::nullopt;
    }
    return data->text();
}
