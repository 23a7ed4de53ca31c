#pragma once

#include <functional>
#include <optional>
#include <string>

/// What a writer process printed on standard output before it died or ended. The work handed to
/// the helpers below runs in such a process: it prints "ready" once it has opened its files and
/// "saved <n>" after each write that returned, through `acknowledge` or its own flushed output;
/// its return value is the exit status.
struct WriterRun {
    bool started = false;
    /// The exit status when it ended by itself.
    std::optional<int> exitStatus;
    std::string output;

    /// The n of the last line "saved <n>", or -1.
    [[nodiscard]] long lastSaved() const;
};

/// Writes one short line to standard output at once, unbuffered: a kill right after loses
/// nothing.
void acknowledge(const std::string& line);

/// Runs writers that each start with write `first` and are killed 0 to 60 ms after they are
/// ready, 100 times within 40 s; after each, `check(first, run)` looks at the file. A round
/// starts past the last one's writes, at a multiple of `step`, since a write it did not
/// acknowledge may be stored all the same. Expects every round to run, more than 100 writes in
/// all, and prints how many.
void expectKillsLoseNothing(const std::function<int(long first)>& write,
                            const std::function<void(long first, const WriterRun&)>& check,
                            long step);

/// Runs `write(0)` with files limited to 1 MiB until a write fails; expects it to end with
/// status 1 after more than 20 writes. Gives what it printed after its last acknowledged
/// write, the failure it reports.
[[nodiscard]] std::string expectFullDiskFailure(const std::function<int(long first)>& write,
                                                WriterRun& run);
