#include "panel/panelkeys.h"

#include "stores/replyemailmanager.h"

namespace {

QString keyIdentifier() {
    return ReplyEmailManager::shared().messageId.value_or(QStringLiteral("compose"));
}

QString flagIdentifier() {
    return ReplyEmailManager::shared().messageId.value_or(QString());
}

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

QString summarizeResponseKey() {
    return QStringLiteral("summarizeResponse ") + keyIdentifier();
}

QString generateResponseKey() {
    return QStringLiteral("generateResponse ") + keyIdentifier();
}

QString summaryDoneFlag() {
    return flagIdentifier() + QStringLiteral("_summarize");
}

QString replyDoneFlag() {
    return flagIdentifier() + QStringLiteral("_generateResponse");
}

QString fallbackContentKey() {
    const std::optional<QString>& id = ReplyEmailManager::shared().messageId;
    const QString form =
        id ? QStringLiteral("Optional(") + quoted(*id) + QLatin1Char(')') : QStringLiteral("nil");
    return form + QStringLiteral(" fallbackContent");
}

} // namespace PanelKeys
