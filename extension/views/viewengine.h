#pragma once

#include <QString>
#include <QVariantMap>
#include <memory>

class QQmlEngine;
class QQuickItem;

/// The QML engine of the extension's views, one per process, made on first use on the GUI
/// thread.
namespace ViewEngine {

[[nodiscard]] QQmlEngine& shared();

/// A new instance of the view `typeName` of the extension's module with `properties` set
/// before it completes; null (and logged) when it cannot be made.
[[nodiscard]] std::unique_ptr<QQuickItem> create(const QString& typeName,
                                                 const QVariantMap& properties = {});

} // namespace ViewEngine
