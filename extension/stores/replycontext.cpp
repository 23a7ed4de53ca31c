#include "stores/replycontext.h"

#include <QCryptographicHash>

std::optional<QString> storageIdOf(const ReplyContext& context) {
    if (context.messageId) {
        return context.messageId;
    }
    if (!context.email && !context.subject && !context.content) {
        return std::nullopt;
    }
    QCryptographicHash digest(QCryptographicHash::Sha256);
    for (const std::optional<QString>* part :
         {&context.email, &context.subject, &context.date, &context.content}) {
        const QByteArray bytes = part->value_or(QString()).toUtf8();
        // Length first, so that no two different messages run together into the same bytes.
        digest.addData(QByteArray::number(bytes.size()) + ':');
        digest.addData(bytes);
    }
    return QStringLiteral("<no-id ") + QString::fromLatin1(digest.result().toHex().left(32)) +
           QLatin1Char('>');
}
