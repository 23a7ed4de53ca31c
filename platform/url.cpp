#include "url.h"

std::optional<QUrl> parseUrl(const QString& text) {
    if (text.isEmpty()) {
        return std::nullopt;
    }
    QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty()) {
        return std::nullopt;
    }
    return url;
}
