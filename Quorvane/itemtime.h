#pragma once

#include <QDateTime>
#include <QLocale>

/// A numeric date and a time with seconds, in the locale's own forms and the local time zone.
[[nodiscard]] QString itemTimeText(const QDateTime& timestamp, const QLocale& locale = QLocale());
