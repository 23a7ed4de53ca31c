#include "entry/contentblocker.h"

QByteArray ContentBlocker::contentRulesJSON() const {
    return bundle_.resource(QStringLiteral("ContentBlockerRules"), QStringLiteral("json"))
        .value_or(QByteArray());
}
