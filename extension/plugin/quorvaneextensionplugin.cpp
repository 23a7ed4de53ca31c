#include "plugin/quorvaneextensionplugin.h"

#include "entry/composesessionviewcontrollerfactory.h"
#include "entry/messagesecurityviewcontroller.h"
#include "platform.h"
#include "views/viewlanguage.h"

#include <QCoreApplication>
#include <QLocale>

QuorvaneExtensionPlugin::QuorvaneExtensionPlugin() {
    Platform::install(Platform::makeStandard());
    ViewLanguage::use(QLocale::system().uiLanguages());
    // The services hold Qt objects (the network thread, timers) that must go while the
    // application object still exists.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, [this] {
        logObservation_.reset();
        Platform::uninstall();
    });
    extension_ = std::make_unique<MailExtension>(
        ExtensionServices::process(), ViewControllerFactories{makeComposeSessionViewController,
                                                              makeMessageSecurityViewController});
}

QuorvaneExtensionPlugin::~QuorvaneExtensionPlugin() = default;

void QuorvaneExtensionPlugin::setLogObserver(std::function<void(const QString&)> observer) {
    logObservation_ = observer ? Log::observe(std::move(observer)) : nullptr;
}
