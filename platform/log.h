#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <concepts>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

/// Receives finished log lines; implementations keep lines from different threads apart.
class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void write(const QString& line) = 0;
};

/// Writes each line to standard output and flushes it at once.
class StandardOutputLog : public LogSink {
public:
    void write(const QString& line) override;
};

namespace Log {

inline QString text(const QString& item) {
    return item;
}
inline QString text(const char* item) {
    return QString::fromUtf8(item);
}
inline QString text(std::string_view item) {
    return QString::fromUtf8(item.data(), static_cast<qsizetype>(item.size()));
}
inline QString text(const std::string& item) {
    return text(std::string_view(item));
}
inline QString text(const QByteArray& item) {
    return QString::fromUtf8(item);
}
/// As sent: percent-encoded, so a logged URL can be pasted back.
inline QString text(const QUrl& item) {
    return item.toString(QUrl::FullyEncoded);
}
template <std::integral T> QString text(T item) {
    return QString::number(item);
}

void write(const QString& line);

/// Keeps an observer of the log registered for as long as it lives.
class Observation {
public:
    virtual ~Observation() = default;
};

/// Calls `observer` with every line written after the sink has it, on the writing thread.
/// Lines reach it one at a time; it must not write log lines itself.
[[nodiscard]] std::unique_ptr<Observation> observe(std::function<void(const QString&)> observer);

/// Writes one line: the items joined by one space.
template <typename... Items> void line(const Items&... items) {
    write(QStringList{text(items)...}.join(QLatin1Char(' ')));
}

} // namespace Log
