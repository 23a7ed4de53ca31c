#pragma once

#include "log.h"

#include <QStringList>
#include <mutex>

/// Keeps every log line for the test to read.
class CapturedLog : public LogSink {
public:
    void write(const QString& line) override {
        const std::lock_guard lock(mutex_);
        lines_.append(line);
    }
    [[nodiscard]] QStringList lines() const {
        const std::lock_guard lock(mutex_);
        return lines_;
    }
    /// Lines that start with `prefix`.
    [[nodiscard]] QStringList linesStartingWith(const QString& prefix) const {
        QStringList found = lines();
        found.removeIf([&](const QString& line) { return !line.startsWith(prefix); });
        return found;
    }
    [[nodiscard]] bool contains(const QString& line) const { return lines().contains(line); }
    void clear() {
        const std::lock_guard lock(mutex_);
        lines_.clear();
    }

private:
    mutable std::mutex mutex_;
    QStringList lines_;
};
