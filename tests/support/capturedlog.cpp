#include "capturedlog.h"

#include <algorithm>

void CapturedLog::write(const QString& line) {
    {
        const std::lock_guard lock(mutex_);
        lines_.append(line);
    }
    written_.notify_all();
}

QStringList CapturedLog::lines() const {
    const std::lock_guard lock(mutex_);
    return lines_;
}

QStringList CapturedLog::linesStartingWith(const QString& prefix) const {
    const std::lock_guard lock(mutex_);
    QStringList found;
    for (const QString& line : lines_) {
        if (line.startsWith(prefix)) {
            found.append(line);
        }
    }
    return found;
}

bool CapturedLog::contains(const QString& line) const {
    const std::lock_guard lock(mutex_);
    return lines_.contains(line);
}

void CapturedLog::clear() {
    const std::lock_guard lock(mutex_);
    lines_.clear();
}

bool CapturedLog::waitUntil(const std::function<bool(const QStringList&)>& done,
                            std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    return written_.wait_for(lock, limit, [&] { return done(lines_); });
}

bool CapturedLog::waitForLineStartingWith(const QString& prefix,
                                          std::chrono::milliseconds limit) const {
    return waitUntil(
        [&](const QStringList& lines) {
            return std::any_of(lines.begin(), lines.end(),
                               [&](const QString& line) { return line.startsWith(prefix); });
        },
        limit);
}
