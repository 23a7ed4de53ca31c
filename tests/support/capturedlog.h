#pragma once

#include "log.h"

#include <QStringList>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

/// Keeps every log line for the test to read.
class CapturedLog : public LogSink {
public:
    void write(const QString& line) override;
    [[nodiscard]] QStringList lines() const;
    /// Lines that start with `prefix`.
    [[nodiscard]] QStringList linesStartingWith(const QString& prefix) const;
    [[nodiscard]] bool contains(const QString& line) const;
    /// Waits in real time until `done` holds for the lines written so far, from any thread.
    bool waitUntil(const std::function<bool(const QStringList&)>& done,
                   std::chrono::milliseconds limit = std::chrono::seconds(20)) const;
    /// Waits in real time for a line that starts with `prefix`, from any thread.
    bool waitForLineStartingWith(const QString& prefix,
                                 std::chrono::milliseconds limit = std::chrono::seconds(20)) const;
    void clear();

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable written_;
    QStringList lines_;
};
