#include "crashwriter.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using Steady = std::chrono::steady_clock;

long WriterRun::lastSaved() const {
    // Writes end in order; a line the kill cut off has no end and does not count.
    std::string lines(1, '\n');
    lines.append(output, 0, output.rfind('\n') + 1);
    const std::size_t last = lines.rfind("\nsaved ");
    return last == std::string::npos ? -1 : std::stol(lines.substr(last + 7));
}

void acknowledge(const std::string& line) {
    // A pipe takes up to PIPE_BUF bytes whole, in one write.
    const std::string text = line + "\n";
    [[maybe_unused]] const ssize_t written = ::write(STDOUT_FILENO, text.data(), text.size());
}

namespace {

/// Forks a process that runs `work` with standard output on a pipe to this one, and SIGKILLs it
/// `killAfterReady` after it printed "ready"; it dies of SIGALRM 30 s after start. With
/// `fileSizeLimit`, writes past that size fail with EFBIG, as on a full disk.
WriterRun runWriter(const std::function<int()>& work,
                    std::optional<std::chrono::milliseconds> killAfterReady,
                    std::optional<rlim_t> fileSizeLimit = std::nullopt) {
    WriterRun run;
    int out[2];
    if (::pipe(out) != 0) {
        return run;
    }
    // The child must not print what this process has buffered.
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        if (fileSizeLimit) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit size{*fileSizeLimit, *fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &size);
        }
        ::alarm(30); // a writer that hangs ends all the same
        const int status = work();
        std::fflush(nullptr);
        ::_exit(status);
    }
    ::close(out[1]);
    if (child < 0) {
        ::close(out[0]);
        return run;
    }
    char buffer[4096];
    const auto readSome = [&] {
        const ssize_t got = ::read(out[0], buffer, sizeof buffer);
        run.output.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
        return got > 0;
    };
    while (!run.started && readSome()) {
        run.started = run.output.find("ready\n") != std::string::npos;
    }
    if (run.started && killAfterReady) {
        std::this_thread::sleep_for(*killAfterReady);
        ::kill(child, SIGKILL);
    }
    // What the child printed before it died still counts: those writes had returned.
    while (readSome()) {
    }
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status)) {
        run.exitStatus = WEXITSTATUS(status);
    }
    return run;
}

} // namespace

void expectKillsLoseNothing(const std::function<int(long first)>& write,
                            const std::function<void(long first, const WriterRun&)>& check,
                            long step) {
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> lifetime(0, 60);
    const auto deadline = Steady::now() + std::chrono::seconds(40);
    int rounds = 0;
    long acknowledged = 0;
    for (long first = 0; rounds < 100 && Steady::now() < deadline; ++rounds) {
        const WriterRun run = runWriter([&write, first] { return write(first); },
                                        std::chrono::milliseconds(lifetime(random)));
        EXPECT_TRUE(run.started && !run.exitStatus) << run.output;
        check(first, run);
        if (testing::Test::HasFailure()) {
            return;
        }
        const long next = std::max(first, run.lastSaved() + 1);
        acknowledged += next - first;
        first = (next / step + 1) * step;
    }
    std::printf("%d rounds, %ld acknowledged writes\n", rounds, acknowledged);
    EXPECT_EQ(rounds, 100) << "too few rounds within the time limit";
    EXPECT_GT(acknowledged, 100) << "the writer hardly ever got to write";
}

std::string expectFullDiskFailure(const std::function<int(long first)>& write, WriterRun& run) {
    run = runWriter([&write] { return write(0); }, std::nullopt, 1024 * 1024);
    EXPECT_EQ(run.exitStatus, 1) << run.output;
    std::printf("%ld writes acknowledged before a file reached 1 MiB\n", run.lastSaved() + 1);
    EXPECT_GT(run.lastSaved(), 20);
    const std::size_t last = run.output.rfind("saved ");
    const std::size_t after = last == std::string::npos ? 0 : run.output.find('\n', last) + 1;
    return run.output.substr(after);
}
