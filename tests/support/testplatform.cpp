#include "testplatform.h"

#include "qturlsession.h"
#include "sqliteuserdefaults.h"

std::optional<QByteArray> TestBundle::resource(const QString& name,
                                               const QString& extension) const {
    const auto it = resources.find(name + QLatin1Char('.') + extension);
    return it == resources.end() ? std::nullopt : std::optional(it->second);
}

std::unique_ptr<KeyMonitor::Monitor> CountingKeyMonitor::addLocalMonitor(QWindow* window,
                                                                         Handler handler) {
    class Counted : public Monitor {
    public:
        Counted(std::unique_ptr<Monitor> real, std::shared_ptr<int> active)
            : real_(std::move(real))
            , active_(std::move(active)) {
            ++*active_;
        }
        ~Counted() override { --*active_; }
        Counted(const Counted&) = delete;
        Counted& operator=(const Counted&) = delete;

    private:
        std::unique_ptr<Monitor> real_;
        std::shared_ptr<int> active_;
    };
    std::unique_ptr<Monitor> real = real_.addLocalMonitor(window, std::move(handler));
    if (!real) {
        return nullptr;
    }
    ++installed;
    return std::make_unique<Counted>(std::move(real), active);
}

TestPlatform::TestPlatform(std::unique_ptr<URLSession> session) {
    auto log = std::make_unique<CapturedLog>();
    auto mainQueue = std::make_unique<VirtualMainQueue>();
    auto bundle = std::make_unique<TestBundle>();
    log_ = log.get();
    mainQueue_ = mainQueue.get();
    bundle_ = bundle.get();
    auto workspace = std::make_unique<RecordingWorkspace>();
    auto pasteboard = std::make_unique<MemoryPasteboard>();
    auto keyMonitor = std::make_unique<CountingKeyMonitor>();
    workspace_ = workspace.get();
    pasteboard_ = pasteboard.get();
    keyMonitor_ = keyMonitor.get();
    Platform::Services services;
    services.log = std::move(log);
    services.mainQueue = std::move(mainQueue);
    services.bundle = std::move(bundle);
    services.workspace = std::move(workspace);
    services.pasteboard = std::move(pasteboard);
    services.keyMonitor = std::move(keyMonitor);
    services.notificationCenter = std::make_unique<NotificationCenter>();
    services.userDefaults = std::make_unique<SqliteUserDefaults>(defaultsFile());
    if (!session) {
        auto fake = std::make_unique<FakeURLSession>();
        network_ = fake.get();
        session = std::move(fake);
    }
    services.urlSession = std::move(session);
    Platform::install(std::make_unique<Platform>(std::move(services)));
}

TestPlatform::~TestPlatform() {
    Platform::uninstall();
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
