#include "entry/contentblocker.h"

#include "platform.h"

QByteArray ContentBlocker::contentRulesJSON() const {
    return Platform::current()
        .bundle()
        .resource(QStringLiteral("ContentBlockerRules"), QStringLiteral("json"))
        .value_or(QByteArray());
}
