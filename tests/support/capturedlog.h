#pragma once

#include "log.h"

#include <QStringList>
#include <mutex>

/// Keeps every log line for the test to read.
class CapturedLog : public LogSink {
public:
    void write(const QString& line) override;
    [[nodiscard]] QStringList lines() const;
    /// Lines that start with `prefix`.
    [[nodiscard]] QStringList linesStartingWith(const QString& prefix) const;
    [[nodiscard]] bool contains(const QString& line) const;
    void clear();

private:
    mutable std::mutex mutex_;
    QStringList lines_;
};
