#include "api/appversion.h"

#include "platform.h"

const std::optional<QString>& appVersion() {
    static const std::optional<QString> version = []() -> std::optional<QString> {
        const std::optional<QVariantMap> info = Platform::current().bundle().infoDictionary();
        if (!info) {
            return std::nullopt;
        }
        const QVariant value = info->value(QStringLiteral("CFBundleShortVersionString"));
        if (value.metaType() != QMetaType::fromType<QString>()) {
            return std::nullopt;
        }
        return value.toString();
    }();
    return version;
}
