#include "stores/replycontext.h"

#include <QCryptographicHash>
#include <QUuid>
#include <algorithm>

namespace {

// Characters of each part that go into the digest.
constexpr qsizetype kTellingLength = qsizetype{64} * 1024;

} // namespace

QString storageIdOf(const ReplyContext& context) {
    if (context.messageId) {
        return *context.messageId;
    }
    if (!context.email && !context.subject && !context.content) {
        return QStringLiteral("<compose ") + QUuid::createUuid().toString(QUuid::WithoutBraces) +
               QLatin1Char('>');
    }
    QCryptographicHash digest(QCryptographicHash::Sha256);
    for (const std::optional<QString>* part :
         {&context.email, &context.subject, &context.date, &context.content}) {
        const QString text = part->value_or(QString());
        // Length first, so that no two different messages run together into the same bytes. A
        // long text's start and length tell it apart, and hashing megabytes would slow the
        // window's opening.
        digest.addData(QByteArray::number(text.size()) + ':');
        digest.addData(
            QByteArrayView(reinterpret_cast<const char*>(text.constData()),
                           std::min(text.size(), kTellingLength) * qsizetype{sizeof(QChar)}));
    }
    return QStringLiteral("<no-id ") + QString::fromLatin1(digest.result().toHex().left(32)) +
           QLatin1Char('>');
}
