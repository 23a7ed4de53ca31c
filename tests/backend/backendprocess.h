#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

/// quorvane-backend in a fresh data folder with a TLS certificate, run as a child with its
/// standard output on a pipe; killed and its folder removed when this goes.
class BackendProcess {
public:
    /// Runs `serve --data DIR` with `arguments`, and `environment` ("NAME=value") besides the
    /// test's own.
    explicit BackendProcess(const std::vector<std::string>& arguments,
                            const std::vector<std::string>& environment = {});
    ~BackendProcess();
    BackendProcess(const BackendProcess&) = delete;
    BackendProcess& operator=(const BackendProcess&) = delete;

    /// The rest of the first output line that starts with `prefix`, waiting up to 30 s; empty
    /// when the output ends first.
    [[nodiscard]] std::string lineAfter(const std::string& prefix);
    [[nodiscard]] pid_t pid() const { return pid_; }
    /// The CA that its certificate was issued by.
    [[nodiscard]] std::string caPem() const;
    /// The port of its API, once it said where it listens; 0 when it never did.
    [[nodiscard]] std::uint16_t apiPort();

private:
    std::filesystem::path dir_;
    pid_t pid_ = -1;
    int output_ = -1;
    std::string buffered_;
};
