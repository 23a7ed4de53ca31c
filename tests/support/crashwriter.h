#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <sys/resource.h>

/// How a writer process runs: killed a while after it is ready, or left to end by itself.
struct WriterLimits {
    /// SIGKILL this long after the writer printed "ready"; at the latest `ceiling` after start.
    std::optional<std::chrono::milliseconds> killAfterReady;
    std::chrono::milliseconds ceiling{std::chrono::seconds(30)};
    /// Files may grow to this size; writes past it fail with EFBIG, as on a full disk.
    std::optional<rlim_t> fileSizeLimit;
};

/// What a writer printed on standard output before it died or ended.
struct WriterRun {
    bool started = false;
    /// The exit status when it ended by itself.
    std::optional<int> exitStatus;
    std::string output;

    /// The highest n of the lines "saved <n>", or -1.
    [[nodiscard]] long lastSaved() const;
};

/// Forks a process that runs `work` (its return value is the exit status) with standard output
/// on a pipe to this one. `work` prints "ready" once it has opened its files and "saved <n>"
/// after each write that returned, through `acknowledge` or its own flushed output.
[[nodiscard]] WriterRun runWriter(const std::function<int()>& work, const WriterLimits& limits);

/// Writes one line to standard output at once, unbuffered: a kill right after loses nothing.
void acknowledge(const std::string& line);
