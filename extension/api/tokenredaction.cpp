#include "api/tokenredaction.h"

QString redactedToken(const QString& token) {
    constexpr qsizetype kShownPrefix = 4;
    constexpr qsizetype kShortestWithPrefix = 16;
    const QString prefix =
        token.size() >= kShortestWithPrefix ? token.left(kShownPrefix) : QString();
    return QStringLiteral("%1… (%2 characters)").arg(prefix).arg(token.size());
}
