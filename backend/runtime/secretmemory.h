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

} // namespace backend
