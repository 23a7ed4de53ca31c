#pragma once

#include "meextension.h"

#include <QString>
#include <QtPlugin>
#include <functional>

/// What a mail host gets from a loaded extension plugin: the principal object, and the
/// extension's diagnostic lines as they are written.
class MEExtensionPlugin {
public:
    virtual ~MEExtensionPlugin() = default;
    [[nodiscard]] virtual MEExtension& principalObject() = 0;
    /// Calls `observer` with each line the extension writes, on the writing thread, from now on;
    /// an empty function stops it.
    virtual void setLogObserver(std::function<void(const QString&)> observer) = 0;
};

#define MEExtensionPlugin_iid "app.quorvane.mailkit.MEExtensionPlugin/1.0"
Q_DECLARE_INTERFACE(MEExtensionPlugin, MEExtensionPlugin_iid)
