#pragma once

#include "entry/mailextension.h"
#include "log.h"
#include "meextensionplugin.h"

#include <QObject>
#include <memory>

/// The extension as a Qt plugin: loading it installs the desktop's services, and they are
/// taken down before the application object goes.
class QuorvaneExtensionPlugin : public QObject, public MEExtensionPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID MEExtensionPlugin_iid)
    Q_INTERFACES(MEExtensionPlugin)

public:
    QuorvaneExtensionPlugin();
    ~QuorvaneExtensionPlugin() override;
    QuorvaneExtensionPlugin(const QuorvaneExtensionPlugin&) = delete;
    QuorvaneExtensionPlugin& operator=(const QuorvaneExtensionPlugin&) = delete;

    [[nodiscard]] MEExtension& principalObject() override { return *extension_; }
    void setLogObserver(std::function<void(const QString&)> observer) override;

private:
    std::unique_ptr<MailExtension> extension_;
    std::unique_ptr<Log::Observation> logObservation_;
};
