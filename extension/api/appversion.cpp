#include "api/appversion.h"

std::optional<QString> appVersion(const Bundle& bundle) {
    const std::optional<QVariantMap> info = bundle.infoDictionary();
    if (!info) {
        return std::nullopt;
    }
    const QVariant value = info->value(QStringLiteral("CFBundleShortVersionString"));
    if (value.metaType() != QMetaType::fromType<QString>()) {
        return std::nullopt;
    }
    return value.toString();
}
