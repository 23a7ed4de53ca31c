#include "quotedreply.h"

#include "linewrap.h"
#include "messageparser.h"

#include <QLocale>

ReplyDraft replyDraft(const MailMessage& original) {
    ReplyDraft draft;
    const QString from = original.from ? original.from->addressString : QString();
    draft.to = original.replyTo.isEmpty() ? from : original.replyTo;
    draft.subject = original.subjectText.startsWith(QStringLiteral("Re:"), Qt::CaseInsensitive)
                        ? original.subjectText
                        : QStringLiteral("Re: ") + original.subjectText;
    const QString sender = original.senderName.isEmpty() ? from : original.senderName;
    const QString when =
        original.date ? QLocale().toString(*original.date, QLocale::LongFormat) : QString();
    draft.attribution =
        QStringLiteral("%1 wrote%2:")
            .arg(sender, when.isEmpty() ? QString() : QStringLiteral(" on ") + when);
    draft.quote = quoted(readableText(original).trimmed());
    return draft;
}
