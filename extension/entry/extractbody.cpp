#include "extractbody.h"

#include <QStringDecoder>
#include <cstring>

namespace {

bool decodes(QByteArrayView bytes, QString* text) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                       QStringConverter::Flag::ConvertInitialBom);
    QString decoded = decoder.decode(bytes);
    if (decoder.hasError()) {
        return false;
    }
    if (text) {
        *text = std::move(decoded);
    }
    return true;
}

} // namespace

std::optional<QString> extractBody(const QByteArray& rawData) {
    // LF never occurs inside a multi-byte UTF-8 sequence, so the byte search finds the same
    // place as a search of the decoded text, and the body is decoded only once.
    const void* found =
        memmem(rawData.constData(), static_cast<std::size_t>(rawData.size()), "\n\n", 2);
    if (found == nullptr) {
        return std::nullopt;
    }
    const auto split =
        static_cast<qsizetype>(static_cast<const char*>(found) - rawData.constData());
    const QByteArrayView bytes(rawData);
    QString body;
    if (!decodes(bytes.first(split), nullptr) || !decodes(bytes.sliced(split + 2), &body)) {
        return std::nullopt;
    }
    return std::move(body).trimmed();
}
