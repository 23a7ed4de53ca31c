#include "quotedreply.h"

#include "messageparser.h"

#include <QLocale>

ReplyDraft replyDraft(const MailMessage& original) {
    ReplyDraft draft;
    draft.to = original.from ? original.from->addressString : QString();
    draft.subject = original.subjectText.startsWith(QStringLiteral("Re:"), Qt::CaseInsensitive)
                        ? original.subjectText
                        : QStringLiteral("Re: ") + original.subjectText;
    const QString text = readableText(original).trimmed();
    const QString sender = original.senderName.isEmpty() ? draft.to : original.senderName;
    const QString when =
        original.date ? QLocale().toString(*original.date, QLocale::LongFormat) : QString();
    draft.body = QStringLiteral("\n\n%1 wrote%2:\n")
                     .arg(sender, when.isEmpty() ? QString() : QStringLiteral(" on ") + when);
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        draft.body += QStringLiteral("> ") + line + QLatin1Char('\n');
    }
    return draft;
}
