#include "log.h"

#include "platform.h"

#include <cstdio>
#include <mutex>

void StandardOutputLog::write(const QString& line) {
    static std::mutex mutex;
    const QByteArray bytes = line.toUtf8() + '\n';
    const std::lock_guard lock(mutex);
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

void Log::write(const QString& line) {
    Platform::current().log().write(line);
}
