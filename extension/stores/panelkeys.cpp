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

QString summarizeResponseKey(const std::optional<QString>& messageId) {
    return QStringLiteral("summarizeResponse ") + messageId.value_or(QStringLiteral("compose"));
}

QString generateResponseKey(const std::optional<QString>& messageId) {
    return QStringLiteral("generateResponse ") + messageId.value_or(QStringLiteral("compose"));
}

QString summaryDoneFlag(const std::optional<QString>& messageId) {
    return messageId.value_or(QString()) + QStringLiteral("_summarize");
}

QString replyDoneFlag(const std::optional<QString>& messageId) {
    return messageId.value_or(QString()) + QStringLiteral("_generateResponse");
}

QString fallbackContentKey(const std::optional<QString>& messageId) {
    const QString form = messageId
                             ? QStringLiteral("Optional(") + quoted(*messageId) + QLatin1Char(')')
                             : QStringLiteral("nil");
    return form + QStringLiteral(" fallbackContent");
}

} // namespace PanelKeys
