#include "stores/extractbody.h"

#include <cstring>
#include <simdjson.h>

std::optional<QString> extractBody(const QByteArray& rawData) {
    // LF never occurs inside a multi-byte UTF-8 sequence, so the byte search finds the same
    // place as a search of the decoded text, and the body is decoded only once. Validating
    // first lets the conversion take its fast path.
    const auto size = static_cast<std::size_t>(rawData.size());
    if (!simdjson::validate_utf8(rawData.constData(), size)) {
        return std::nullopt;
    }
    const void* found = memmem(rawData.constData(), size, "\n\n", 2);
    if (found == nullptr) {
        return std::nullopt;
    }
    const auto split =
        static_cast<qsizetype>(static_cast<const char*>(found) - rawData.constData());
    const QByteArrayView body = QByteArrayView(rawData).sliced(split + 2);
    // The conversion drops one leading byte order mark, which is part of the body's text.
    if (body.startsWith("\xEF\xBB\xBF")) {
        return (QChar(0xFEFF) + QString::fromUtf8(body)).trimmed();
    }
    return QString::fromUtf8(body).trimmed();
}
