#include "capturedlog.h"

void CapturedLog::write(const QString& line) {
    const std::lock_guard lock(mutex_);
    lines_.append(line);
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
