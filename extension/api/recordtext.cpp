#include "api/recordtext.h"

#include <QStringList>

QString recordText(const char* type, const RecordMembers& members) {
    QStringList parts;
    for (const auto& [name, value] : members) {
        parts.append(QStringLiteral("%1: \"%2\"").arg(QString::fromUtf8(name), value));
    }
    return QString::fromUtf8(type) + QLatin1Char('(') + parts.join(QStringLiteral(", ")) +
           QLatin1Char(')');
}
