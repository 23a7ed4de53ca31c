#include "itemtime.h"

QString itemTimeText(const QDateTime& timestamp, const QLocale& locale) {
    const QDateTime local = timestamp.toLocalTime();
    // Items made within the same minute must read apart, so the time keeps its seconds.
    QString timeFormat = locale.timeFormat(QLocale::ShortFormat);
    if (!timeFormat.contains(QLatin1Char('s'))) {
        timeFormat.replace(QStringLiteral("mm"), QStringLiteral("mm:ss"));
    }
    return locale.toString(local.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(local.time(), timeFormat);
}
