#include "bundle.h"

#include <QFile>

std::optional<QVariantMap> QtBundle::infoDictionary() const {
    return QVariantMap{
        {QStringLiteral("CFBundleShortVersionString"), QStringLiteral(QUORVANE_VERSION)}};
}

std::optional<QByteArray> QtBundle::resource(const QString& name, const QString& extension) const {
    QFile file(QStringLiteral(":/quorvane/") + name + QLatin1Char('.') + extension);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return file.readAll();
}
