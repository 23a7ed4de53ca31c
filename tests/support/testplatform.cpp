#include "testplatform.h"

#include "qturlsession.h"
#include "sqliteuserdefaults.h"

std::optional<QByteArray> TestBundle::resource(const QString& name,
                                               const QString& extension) const {
    const auto it = resources.find(name + QLatin1Char('.') + extension);
    return it == resources.end() ? std::nullopt : std::optional(it->second);
}

TestPlatform::TestPlatform(const std::optional<std::filesystem::path>& trustedAuthority) {
    auto log = std::make_unique<CapturedLog>();
    auto mainQueue = std::make_unique<VirtualMainQueue>();
    auto bundle = std::make_unique<TestBundle>();
    log_ = log.get();
    mainQueue_ = mainQueue.get();
    bundle_ = bundle.get();
    Platform::Services services;
    services.log = std::move(log);
    services.mainQueue = std::move(mainQueue);
    services.bundle = std::move(bundle);
    services.notificationCenter = std::make_unique<NotificationCenter>();
    services.userDefaults = std::make_unique<SqliteUserDefaults>(defaultsFile());
    QtURLSessionOptions options;
    options.extraCertificateAuthorities = trustedAuthority;
    options.cacheDirectory = std::filesystem::path(folder_.path().toStdString()) / "cache";
    services.urlSession = std::make_unique<QtURLSession>(options);
    Platform::install(std::make_unique<Platform>(std::move(services)));
}

TestPlatform::~TestPlatform() {
    Platform::uninstall();
}

std::filesystem::path TestPlatform::defaultsFile() const {
    return std::filesystem::path(folder_.path().toStdString()) / "quorvane" / "defaults.sqlite";
}
