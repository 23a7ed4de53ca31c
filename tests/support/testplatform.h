#pragma once

#include "capturedlog.h"
#include "fakeurlsession.h"
#include "platform.h"
#include "virtualmainqueue.h"

#include <QTemporaryDir>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

/// A bundle whose information dictionary a test sets, without resources.
class TestBundle : public Bundle {
public:
    std::optional<QVariantMap> info;

    [[nodiscard]] std::optional<QVariantMap> infoDictionary() const override { return info; }
    [[nodiscard]] std::optional<QByteArray> resource(const QString&,
                                                     const QString&) const override {
        return std::nullopt;
    }
};

/// Records the pages it is asked to open instead of opening them.
class RecordingWorkspace : public Workspace {
public:
    std::vector<QUrl> opened;

protected:
    bool openWebUrl(const QUrl& url) override {
        opened.push_back(url);
        return true;
    }
};

/// A clipboard in memory.
class MemoryPasteboard : public Pasteboard {
public:
    std::optional<QString> contents;

    void setString(const QString& text) override { contents = text; }
    [[nodiscard]] std::optional<QString> string() const override { return contents; }
};

/// The real window monitors, counted, so that a test sees how many a view keeps.
class CountingKeyMonitor : public KeyMonitor {
public:
    std::shared_ptr<int> active = std::make_shared<int>(0);

    [[nodiscard]] std::unique_ptr<Monitor> addLocalMonitor(QWindow* window,
                                                           Handler handler) override;

private:
    QtKeyMonitor real_;
};

/// Installs a platform of test services: captured log, virtual main queue, a defaults file in
/// a fresh folder, and a FakeURLSession unless the test hands in a session of its own. One made
/// `aside` is not installed: only what is made with its services reaches them.
class TestPlatform {
public:
    enum class Install { current, aside };

    explicit TestPlatform(std::unique_ptr<URLSession> session = nullptr,
                          Install install = Install::current);
    ~TestPlatform();
    TestPlatform(const TestPlatform&) = delete;
    TestPlatform& operator=(const TestPlatform&) = delete;

    [[nodiscard]] const Platform& platform() const;
    [[nodiscard]] CapturedLog& log() const { return *log_; }
    [[nodiscard]] VirtualMainQueue& mainQueue() const { return *mainQueue_; }
    [[nodiscard]] TestBundle& bundle() const { return *bundle_; }
    [[nodiscard]] RecordingWorkspace& workspace() const { return *workspace_; }
    [[nodiscard]] MemoryPasteboard& pasteboard() const { return *pasteboard_; }
    [[nodiscard]] CountingKeyMonitor& keyMonitor() const { return *keyMonitor_; }
    /// The scripted session; only when no session was handed in.
    [[nodiscard]] FakeURLSession& network() const;
    [[nodiscard]] std::filesystem::path defaultsFile() const;

    /// The real Qt session, trusting `authority` besides the system's authorities.
    [[nodiscard]] static std::unique_ptr<URLSession>
    realSession(const std::optional<std::filesystem::path>& authority);

private:
    QTemporaryDir folder_;
    std::unique_ptr<Platform> aside_;
    CapturedLog* log_ = nullptr;
    VirtualMainQueue* mainQueue_ = nullptr;
    TestBundle* bundle_ = nullptr;
    RecordingWorkspace* workspace_ = nullptr;
    MemoryPasteboard* pasteboard_ = nullptr;
    CountingKeyMonitor* keyMonitor_ = nullptr;
    FakeURLSession* network_ = nullptr;
};
