#include "testplatform.h"

#include "qturlsession.h"
#include "sqliteuserdefaults.h"

std::unique_ptr<KeyMonitor::Monitor> CountingKeyMonitor::addLocalMonitor(QWindow* window,
                                                                         Handler handler) {
    struct Counted : Monitor {
        Counted(std::unique_ptr<Monitor> monitor, std::shared_ptr<int> count)
            : real(std::move(monitor))
            , active(std::move(count)) {
            ++*active;
        }
        ~Counted() override { --*active; }
        std::unique_ptr<Monitor> real;
        std::shared_ptr<int> active;
    };
    std::unique_ptr<Monitor> real = real_.addLocalMonitor(window, std::move(handler));
    if (!real) {
        return nullptr;
    }
    return std::make_unique<Counted>(std::move(real), active);
}

namespace {

/// A new service for the platform, which owns it; `kept` points to it for the test.
template <typename Service> std::unique_ptr<Service> made(Service*& kept) {
    auto service = std::make_unique<Service>();
    kept = service.get();
    return service;
}

} // namespace

TestPlatform::TestPlatform(std::unique_ptr<URLSession> session, Install install) {
    Platform::Services services;
    services.log = made(log_);
    services.mainQueue = made(mainQueue_);
    services.bundle = made(bundle_);
    services.workspace = made(workspace_);
    services.pasteboard = made(pasteboard_);
    services.keyMonitor = made(keyMonitor_);
    services.notificationCenter = std::make_unique<NotificationCenter>();
    services.userDefaults = std::make_unique<SqliteUserDefaults>(defaultsFile());
    services.urlSession = session ? std::move(session) : made(network_);
    auto platform = std::make_unique<Platform>(std::move(services));
    if (install == Install::aside) {
        aside_ = std::move(platform);
    } else {
        Platform::install(std::move(platform));
    }
}

TestPlatform::~TestPlatform() {
    if (!aside_) {
        Platform::uninstall();
    }
}

const Platform& TestPlatform::platform() const {
    return aside_ ? *aside_ : Platform::current();
}

FakeURLSession& TestPlatform::network() const {
    if (network_ == nullptr) {
        ADD_FAILURE() << "this platform runs a real session";
        std::abort();
    }
    return *network_;
}

std::unique_ptr<URLSession>
TestPlatform::realSession(const std::optional<std::filesystem::path>& authority) {
    return std::make_unique<QtURLSession>(QtURLSessionOptions{authority, std::nullopt});
}

std::filesystem::path TestPlatform::defaultsFile() const {
    return std::filesystem::path(folder_.path().toStdString()) / "quorvane" / "defaults.sqlite";
}
