#include "stores/panelkeys.h"

namespace {

/// The identifier as a quoted literal: backslash, quote and control characters escaped.
QString quoted(const QString& text) {
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '"':
            out += QStringLiteral("\\\"");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        default:
            if (c.category() == QChar::Other_Control) {
                out += QStringLiteral("\\u{%1}").arg(c.unicode(), 0, 16);
            } else {
                out += c;
            }
        }
    }
    return out + QLatin1Char('"');
}

} // namespace

namespace PanelKeys {

QString summarizeResponseKey(const QString& storageId) {
    return QStringLiteral("summarizeResponse ") + storageId;
}

QString generateResponseKey(const QString& storageId) {
    return QStringLiteral("generateResponse ") + storageId;
}

QString summaryDoneFlag(const QString& storageId) {
    return storageId + QStringLiteral("_summarize");
}

QString replyDoneFlag(const QString& storageId) {
    return storageId + QStringLiteral("_generateResponse");
}

QString fallbackContentKey(const QString& storageId) {
    return QStringLiteral("Optional(") + quoted(storageId) + QStringLiteral(") fallbackContent");
}

} // namespace PanelKeys
