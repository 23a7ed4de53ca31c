#include "crashwriter.h"

#include <csignal>
#include <cstdio>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

using Steady = std::chrono::steady_clock;

long WriterRun::lastSaved() const {
    long highest = -1;
    for (std::size_t at = output.find("saved "); at != std::string::npos;
         at = output.find("saved ", at + 1)) {
        const std::size_t end = output.find('\n', at);
        if (end != std::string::npos && (at == 0 || output[at - 1] == '\n')) {
            highest = std::max(highest, std::stol(output.substr(at + 6, end - at - 6)));
        }
    }
    return highest;
}

void acknowledge(const std::string& line) {
    const std::string text = line + "\n";
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(STDOUT_FILENO, text.data() + done, text.size() - done);
        if (n <= 0) {
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}

WriterRun runWriter(const std::function<int()>& work, const WriterLimits& limits) {
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
        if (limits.fileSizeLimit) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit size{*limits.fileSizeLimit, *limits.fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &size);
        }
        const int status = work();
        std::fflush(nullptr);
        ::_exit(status);
    }
    ::close(out[1]);
    if (child < 0) {
        ::close(out[0]);
        return run;
    }
    auto killAt = Steady::now() + limits.ceiling;
    char buffer[4096];
    bool open = true;
    for (auto now = Steady::now(); open && now < killAt; now = Steady::now()) {
        pollfd ready{out[0], POLLIN, 0};
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(killAt - now);
        if (::poll(&ready, 1, static_cast<int>(wait.count()) + 1) <= 0) {
            continue;
        }
        const ssize_t got = ::read(out[0], buffer, sizeof buffer);
        open = got > 0;
        run.output.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
        if (!run.started && run.output.find("ready\n") != std::string::npos) {
            run.started = true;
            if (limits.killAfterReady) {
                killAt = std::min(killAt, Steady::now() + *limits.killAfterReady);
            }
        }
    }
    if (open) {
        ::kill(child, SIGKILL);
    }
    // What the child printed before it died still counts: those writes had returned.
    for (ssize_t got = 0; (got = ::read(out[0], buffer, sizeof buffer)) > 0;) {
        run.output.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status)) {
        run.exitStatus = WEXITSTATUS(status);
    }
    return run;
}
