#include "backendprocess.h"

#include "backendprogram.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

BackendProcess::BackendProcess(const std::vector<std::string>& arguments,
                               const std::vector<std::string>& environment) {
    std::string folder = fs::temp_directory_path() / "qv-process-XXXXXX";
    dir_ = ::mkdtemp(folder.data());
    if (runBackend("tls init", dir_).exitCode != 0) {
        throw std::runtime_error("tls init failed");
    }
    std::vector<std::string> argv = {QUORVANE_BACKEND_BINARY, "serve", "--data", dir_.string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<std::string> envp = environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        envp.emplace_back(*variable);
    }
    const auto pointers = [](std::vector<std::string>& texts) {
        std::vector<char*> result(texts.size() + 1, nullptr);
        std::ranges::transform(texts, result.begin(), [](std::string& t) { return t.data(); });
        return result;
    };
    int pipe[2];
    if (::pipe(pipe) != 0) {
        throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipe[0]);
    auto argPointers = pointers(argv);
    auto envPointers = pointers(envp);
    const int spawned = ::posix_spawn(&pid_, argv[0].c_str(), &actions, nullptr, argPointers.data(),
                                      envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe[1]);
    output_ = pipe[0];
    if (spawned != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " + argv[0]);
    }
}

BackendProcess::~BackendProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    ::close(output_);
    fs::remove_all(dir_);
}

std::string BackendProcess::lineAfter(const std::string& prefix) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < until) {
        for (std::size_t end; (end = buffered_.find('\n')) != std::string::npos;) {
            const std::string line = buffered_.substr(0, end);
            buffered_.erase(0, end + 1);
            if (line.starts_with(prefix)) {
                return line.substr(prefix.size());
            }
        }
        pollfd ready{output_, POLLIN, 0};
        char chunk[4096];
        const ssize_t n = ::poll(&ready, 1, 1000) > 0 ? ::read(output_, chunk, sizeof chunk) : 0;
        if (n <= 0 && ready.revents != 0) {
            return "";
        }
        buffered_.append(chunk, n > 0 ? static_cast<std::size_t>(n) : 0);
    }
    return "";
}

std::string BackendProcess::caPem() const {
    return fileText(dir_ / "tls" / "ca.pem");
}

std::uint16_t BackendProcess::apiPort() {
    const std::string origin = lineAfter("listening on ");
    return origin.empty()
               ? 0
               : static_cast<std::uint16_t>(std::stoi(origin.substr(origin.rfind(':') + 1)));
}
