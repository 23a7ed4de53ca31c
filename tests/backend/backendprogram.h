#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <sys/wait.h>

/// The whole of a file; empty when it cannot be read.
inline std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

/// What one run of quorvane-backend did: its exit code (-1 when killed) and everything it
/// wrote to standard output and error.
struct ProgramRun {
    int exitCode = -1;
    std::string output;
    bool operator==(const ProgramRun&) const = default;
};

/// Shows a run as its exit code and output when a check fails.
inline void PrintTo(const ProgramRun& run, std::ostream* out) {
    *out << "exit " << run.exitCode << ": \"" << run.output << '"';
}

/// Runs quorvane-backend with `arguments` and `--data dir`, as an administrator would, with
/// `input` on its standard input and, when given, `storeUrl` in QUORVANE_STORE_URL. A run
/// still going after a minute is killed (exit code 137): one that should have refused to start
/// then fails its test rather than hanging it.
inline ProgramRun runBackend(const std::string& arguments, const std::filesystem::path& dir,
                             const std::string& input = "", const std::string& storeUrl = "") {
    const std::string in = dir.string() + ".input";
    const std::string out = dir.string() + ".output";
    std::ofstream(in) << input;
    const std::string environment =
        storeUrl.empty() ? "" : "QUORVANE_STORE_URL='" + storeUrl + "' ";
    const int status =
        std::system((environment + "timeout -s KILL 60 " QUORVANE_BACKEND_BINARY " " + arguments +
                     " --data " + dir.string() + " <" + in + " >" + out + " 2>&1")
                        .c_str());
    std::filesystem::remove(in);
    std::string output = fileText(out);
    std::filesystem::remove(out);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::move(output)};
}
