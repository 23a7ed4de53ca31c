#pragma once

#include <string>

namespace backend {

/// Keeps what this process holds, passwords and keys among it, out of core files and away from
/// debuggers and other processes of the same user. Called first thing by every command.
void keepMemoryPrivate();

/// The value of environment variable `name`, then wiped and removed: /proc/PID/environ shows
/// the environment the process started with, not the one setenv and unsetenv leave.
[[nodiscard]] std::string takeEnvironmentVariable(const char* name);

/// Overwrites `text` in a way the compiler keeps, then empties it.
void cleanse(std::string& text);

/// Cleanses a text when its scope is left, by an answer or by an exception.
class CleansedOnExit {
public:
    explicit CleansedOnExit(std::string& text)
        : text_(text) {}
    ~CleansedOnExit() { cleanse(text_); }
    CleansedOnExit(const CleansedOnExit&) = delete;
    CleansedOnExit& operator=(const CleansedOnExit&) = delete;

private:
    std::string& text_;
};

} // namespace backend
