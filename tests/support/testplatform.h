#pragma once

#include "capturedlog.h"
#include "platform.h"
#include "virtualmainqueue.h"

#include <QTemporaryDir>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

/// A bundle whose information dictionary and resources a test sets.
class TestBundle : public Bundle {
public:
    std::optional<QVariantMap> info;
    std::map<QString, QByteArray> resources; // by "name.extension"

    [[nodiscard]] std::optional<QVariantMap> infoDictionary() const override { return info; }
    [[nodiscard]] std::optional<QByteArray> resource(const QString& name,
                                                     const QString& extension) const override;
};

/// Installs a platform of test services: captured log, virtual main queue, a defaults file in
/// a fresh folder, the real Qt network session trusting `trustedAuthority`.
class TestPlatform {
public:
    explicit TestPlatform(const std::optional<std::filesystem::path>& trustedAuthority = {});
    ~TestPlatform();
    TestPlatform(const TestPlatform&) = delete;
    TestPlatform& operator=(const TestPlatform&) = delete;

    [[nodiscard]] CapturedLog& log() const { return *log_; }
    [[nodiscard]] VirtualMainQueue& mainQueue() const { return *mainQueue_; }
    [[nodiscard]] TestBundle& bundle() const { return *bundle_; }
    [[nodiscard]] std::filesystem::path defaultsFile() const;

private:
    QTemporaryDir folder_;
    CapturedLog* log_;
    VirtualMainQueue* mainQueue_;
    TestBundle* bundle_;
};
