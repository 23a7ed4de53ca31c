#pragma once

// Read into every file of the Qt tests (quorvane_qt_printing), so that a failed check on Qt's
// strings shows their text rather than their bytes.
#include <QByteArray>
#include <QString>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* out) {
    *out << '"' << bytes.toStdString() << '"';
}
