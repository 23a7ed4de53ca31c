#include "stores/deployments.h"

#include "log.h"
#include "url.h"

#include <cstdlib>

namespace {

bool isBaseUrl(const QString& text) {
    const std::optional<QUrl> url = parseUrl(text);
    return url && url->scheme() == QLatin1String("https") && !url->host().isEmpty() &&
           url->path().isEmpty() && !url->hasQuery() && !url->hasFragment() &&
           url->userInfo().isEmpty() && !text.endsWith(QLatin1Char('/'));
}

} // namespace

QString chooseBaseUrl(const char* variable, const char* override, const QString& fallback) {
    if (override == nullptr) {
        return fallback;
    }
    QString text = QString::fromUtf8(override);
    if (isBaseUrl(text)) {
        return text;
    }
    Log::line(QStringLiteral("Ignoring %1=\"%2\": it must be an https URL with a host and "
                             "no path, query or trailing slash. Using %3.")
                  .arg(QString::fromUtf8(variable), text, fallback));
    return fallback;
}

const std::map<QString, QString>& baseUrlTable() {
    static const std::map<QString, QString> table{
        {QStringLiteral("live"),
         chooseBaseUrl("QUORVANE_LIVE_URL", std::getenv("QUORVANE_LIVE_URL"),
                       QStringLiteral(QUORVANE_LIVE_URL))},
        {QStringLiteral("staging"),
         chooseBaseUrl("QUORVANE_STAGING_URL", std::getenv("QUORVANE_STAGING_URL"),
                       QStringLiteral(QUORVANE_STAGING_URL))},
        {QStringLiteral("dev"), chooseBaseUrl("QUORVANE_DEV_URL", std::getenv("QUORVANE_DEV_URL"),
                                              QStringLiteral(QUORVANE_DEV_URL))},
    };
    return table;
}
