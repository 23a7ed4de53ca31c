#pragma once

#include "endpoint.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace backend {

/// What `serve` was told; every member has the default the server runs with.
struct ServeSettings {
    Endpoint listen{"127.0.0.1", 8443};
    /// A loopback listener for the browser's sign-in page, apart from the API.
    std::optional<Endpoint> loginListen;
    std::optional<std::string> tlsCert;
    std::optional<std::string> tlsKey;
    /// Makes local TLS material first when none is named or present, as a service's first start.
    bool tlsInitIfMissing = false;
    std::optional<std::string> publicUrl;
    std::optional<std::string> releaseVersion;
    std::optional<std::string> releaseUrl;
    std::string engine = "extractive";
    std::string llmUrl;
    std::string llmModel;
    /// Per task instead of llmModel, when not empty.
    std::string llmModelSummary;
    std::string llmModelReply;
    std::string llmModelChat;
    std::optional<double> llmTemperature;
    std::optional<std::int64_t> llmMaxTokens;
    /// Below the extension's 60 s, so that it gets our error rather than its own timeout.
    std::int64_t llmTimeoutSeconds = 50;
    std::int64_t llmMaxInputChars = 24000;
    bool llmAllowHttp = false;
    /// The engine that answers when the model fails; none when empty.
    std::string fallback;
    std::int64_t llmConcurrency = 64;
    /// Four times the concurrency unless set.
    std::optional<std::int64_t> llmQueue;
    std::int64_t tokenDays = 30;
    std::int64_t sessionsPerMinute = 30;
    std::int64_t storedMbPerDay = 256;
    std::int64_t connectionsPerAddress = 256;
    std::int64_t keepAliveSeconds = 10;
    std::int64_t storeConnections = 8;
};

/// One run of quorvane-backend as its arguments ask for it.
struct CommandLine {
    enum class Command {
        Help,
        Serve,
        UserAdd,
        TlsInit,
        ExportTraining,
        Migrate,
        TokenList,
        TokenRevoke
    };
    Command command = Command::Help;
    std::filesystem::path data;
    /// A shared PostgreSQL database instead of the data folder's SQLite file; never logged.
    std::string storeUrl;
    /// The account of `user add` and `token revoke`.
    std::string email;
    std::string name;
    /// Lets `tls init` replace the CA and certificate that clients may already trust.
    bool force = false;
    ServeSettings serve;
};

/// A command line that cannot run; what() is one line that says why.
class CommandLineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Reads the arguments after the program name; throws CommandLineError.
[[nodiscard]] CommandLine parseCommandLine(int argc, const char* const* argv);

/// The commands and their options, for --help and for a command line without a command.
[[nodiscard]] std::string usage();

} // namespace backend
