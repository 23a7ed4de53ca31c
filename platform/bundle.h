#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>
#include <optional>

/// The extension's bundle: its information dictionary and its resources.
class Bundle {
public:
    virtual ~Bundle() = default;
    [[nodiscard]] virtual std::optional<QVariantMap> infoDictionary() const = 0;
    [[nodiscard]] virtual std::optional<QByteArray> resource(const QString& name,
                                                             const QString& extension) const = 0;
};

/// Version from the build, resources from Qt's resource system under ":/quorvane/".
class QtBundle : public Bundle {
public:
    [[nodiscard]] std::optional<QVariantMap> infoDictionary() const override;
    [[nodiscard]] std::optional<QByteArray> resource(const QString& name,
                                                     const QString& extension) const override;
};
