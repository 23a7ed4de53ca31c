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
    QStringList found = lines();
    found.removeIf([&](const QString& line) { return !line.startsWith(prefix); });
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
