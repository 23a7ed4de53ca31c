#pragma once

#include "bundle.h"
#include "keymonitor.h"
#include "log.h"
#include "mainqueue.h"
#include "notificationcenter.h"
#include "pasteboard.h"
#include "urlsession.h"
#include "userdefaults.h"
#include "workspace.h"

#include <memory>

/// The OS services in use. Installed once, before the first process-wide store is made.
class Platform {
public:
    struct Services {
        std::unique_ptr<LogSink> log;
        std::unique_ptr<MainQueue> mainQueue;
        std::unique_ptr<UserDefaults> userDefaults;
        std::unique_ptr<NotificationCenter> notificationCenter;
        std::unique_ptr<URLSession> urlSession;
        std::unique_ptr<Bundle> bundle;
        std::unique_ptr<Workspace> workspace;
        std::unique_ptr<Pasteboard> pasteboard;
        std::unique_ptr<KeyMonitor> keyMonitor;
    };

    explicit Platform(Services services)
        : services_(std::move(services)) {}

    /// Makes `platform` the current one; the previous one, if any, is destroyed.
    static void install(std::unique_ptr<Platform> platform);
    /// Removes the current platform (tests end with this).
    static void uninstall();
    [[nodiscard]] static Platform& current();

    /// The services of a real desktop session: standard output, the Qt event loop, the user's
    /// files.
    [[nodiscard]] static std::unique_ptr<Platform> makeStandard();

    [[nodiscard]] LogSink& log() const { return *services_.log; }
    [[nodiscard]] MainQueue& mainQueue() const { return *services_.mainQueue; }
    [[nodiscard]] UserDefaults& userDefaults() const { return *services_.userDefaults; }
    [[nodiscard]] NotificationCenter& notificationCenter() const {
        return *services_.notificationCenter;
    }
    [[nodiscard]] URLSession& urlSession() const { return *services_.urlSession; }
    [[nodiscard]] Bundle& bundle() const { return *services_.bundle; }
    [[nodiscard]] Workspace& workspace() const { return *services_.workspace; }
    [[nodiscard]] Pasteboard& pasteboard() const { return *services_.pasteboard; }
    [[nodiscard]] KeyMonitor& keyMonitor() const { return *services_.keyMonitor; }

private:
    Services services_;
};
