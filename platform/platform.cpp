#include "platform.h"

#include "qturlsession.h"
#include "sqliteuserdefaults.h"

#include <cstdio>
#include <cstdlib>

namespace {

std::unique_ptr<Platform>& slot() {
    static std::unique_ptr<Platform> platform;
    return platform;
}

} // namespace

void Platform::install(std::unique_ptr<Platform> platform) {
    slot() = std::move(platform);
}

void Platform::uninstall() {
    // Network completions reach the platform from the network thread: that thread stops while
    // the platform is still installed, not after it is gone.
    if (slot()) {
        slot()->services_.urlSession.reset();
    }
    slot().reset();
}

Platform& Platform::current() {
    if (!slot()) {
        std::fputs("Platform::current() used before Platform::install()\n", stderr);
        std::abort();
    }
    return *slot();
}

std::unique_ptr<Platform> Platform::makeStandard() {
    Services services;
    services.log = std::make_unique<StandardOutputLog>();
    services.mainQueue = std::make_unique<QtMainQueue>();
    services.notificationCenter = std::make_unique<NotificationCenter>();
    services.urlSession = std::make_unique<QtURLSession>(QtURLSession::standardOptions());
    services.userDefaults =
        std::make_unique<SqliteUserDefaults>(SqliteUserDefaults::standardLocation());
    services.bundle = std::make_unique<QtBundle>();
    services.workspace = std::make_unique<DesktopWorkspace>();
    services.pasteboard = std::make_unique<QtPasteboard>();
    services.keyMonitor = std::make_unique<QtKeyMonitor>();
    return std::make_unique<Platform>(std::move(services));
}
