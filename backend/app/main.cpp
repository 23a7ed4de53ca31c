#include "authenticator.h"
#include "certificateauthority.h"
#include "commandline.h"
#include "mailtext.h"
#include "openstore.h"
#include "privatefile.h"
#include "secretmemory.h"
#include "serve.h"

#include <algorithm>
#include <ctime>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <termios.h>
#include <unistd.h>

namespace {

using namespace backend;

std::filesystem::path dataDir(const CommandLine& line) {
    makePrivateFolder(line.data);
    return line.data;
}

// Only the commands that set a server up make a store where there is none; the others would
// take a mistyped folder for an empty store and report on it.
enum class IfMissing { Create, Refuse };

StoreLocation storeLocation(const CommandLine& line, IfMissing missing) {
    const auto connections = static_cast<std::size_t>(line.serve.storeConnections);
    if (!line.storeUrl.empty()) {
        return {line.data, line.storeUrl, connections};
    }
    if (line.data.empty()) {
        throw CommandLineError("say where the store is with --data, --store or "
                               "QUORVANE_STORE_URL");
    }
    if (missing == IfMissing::Create) {
        return {dataDir(line), "", connections};
    }
    StoreLocation location{line.data, "", connections};
    if (!storeExists(location)) {
        throw std::runtime_error("there is no store at " + storeName(location) +
                                 "; --data names the folder the server keeps its data in");
    }
    return location;
}

std::unique_ptr<Store> store(const CommandLine& line, IfMissing missing) {
    return openStore(storeLocation(line, missing));
}

// The folder holds password hashes, whole mails and the TLS key.
void refuseSharedFolder(const std::filesystem::path& dir) {
    const auto perms = std::filesystem::status(dir).permissions();
    const auto others = std::filesystem::perms::group_all | std::filesystem::perms::others_all;
    if ((perms & others) != std::filesystem::perms::none) {
        std::ostringstream mode;
        mode << std::oct << static_cast<unsigned>(perms);
        throw std::runtime_error("the data folder " + dir.string() + " is open to other users " +
                                 "(mode 0" + mode.str() + "); make it private with chmod 700 " +
                                 dir.string());
    }
}

void writeServerCertificate(const std::filesystem::path& dir,
                            const tls::KeyAndCertificate& authority) {
    const auto server =
        tls::issueServerCertificate(authority, {"127.0.0.1", "localhost", "::1"}, 825);
    writeFileAtomically(dir / "server.pem", server.certificatePem, 0644);
    writeFileAtomically(dir / "server-key.pem", server.keyPem, 0600);
    std::cout << "wrote " << (dir / "server.pem").string() << "; trust the CA with "
              << "QUORVANE_CA_CERTS=" << (dir / "ca.pem").string() << "\n";
}

// Clients trust the CA that is there: replacing it is only done when asked for.
int tlsInit(const CommandLine& line, bool replace) {
    const auto dir = dataDir(line) / "tls";
    for (const char* file : {"ca.pem", "ca-key.pem", "server.pem", "server-key.pem"}) {
        if (!replace && std::filesystem::exists(dir / file)) {
            throw std::runtime_error(
                (dir / file).string() +
                " exists already; tls init --force replaces the CA and server certificate, after "
                "which every client must trust the new CA");
        }
    }
    makePrivateFolder(dir);
    const auto ca = tls::makeCertificateAuthority("Quorvane local CA", 825);
    writeFileAtomically(dir / "ca.pem", ca.certificatePem, 0644);
    writeFileAtomically(dir / "ca-key.pem", ca.keyPem, 0600);
    writeServerCertificate(dir, ca);
    return 0;
}

// A first start that failed may have left the CA, which clients may trust by now; a new
// server certificate is issued by it. Without its key nothing can sign, so it is replaced.
void tlsInitIfMissing(const CommandLine& line) {
    const auto dir = dataDir(line) / "tls";
    if (!std::filesystem::exists(dir / "ca.pem") || !std::filesystem::exists(dir / "ca-key.pem")) {
        tlsInit(line, true);
        return;
    }
    writeServerCertificate(dir, {readWholeFile(dir / "ca-key.pem"), readWholeFile(dir / "ca.pem")});
}

constexpr std::size_t minimumPasswordLength = 12;

// One line of standard input; typed at a terminal, it is not shown.
std::string readPassword() {
    std::string password;
    termios shown{};
    if (::isatty(STDIN_FILENO) == 0 || ::tcgetattr(STDIN_FILENO, &shown) != 0) {
        std::getline(std::cin, password);
        return password;
    }
    termios hidden = shown;
    hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden);
    std::cerr << "Password: " << std::flush;
    std::getline(std::cin, password);
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &shown);
    std::cerr << "\n";
    return password;
}

std::size_t characters(const std::string& utf8) {
    return static_cast<std::size_t>(
        std::ranges::count_if(utf8, [](char c) { return (c & 0xC0) != 0x80; }));
}

int userAdd(const CommandLine& line) {
    const std::string password = readPassword();
    if (characters(password) < minimumPasswordLength) {
        std::cerr << "quorvane-backend: the password must be at least " << minimumPasswordLength
                  << " characters long\n";
        return 2;
    }
    if (password.find_first_not_of(" \t\n\r\f\v") == std::string::npos) {
        std::cerr << "quorvane-backend: the password must not be only whitespace\n";
        return 2;
    }
    const auto opened = store(line, IfMissing::Create);
    // Sign-in finds an address whatever its letter case, so one differing in case alone would
    // be a second account that no one could sign in to.
    if (const auto existing = opened->account(line.email)) {
        throw std::runtime_error("the account " + existing->email + " exists already");
    }
    SystemClock clock;
    Authenticator auth(*opened, clock, {});
    auth.addAccount(line.email, line.name, password);
    std::cout << "added " << line.email << "\n";
    return 0;
}

int exportTraining(const CommandLine& line) {
    store(line, IfMissing::Refuse)->forEachTrainingPair([](const TrainingPair& pair) {
        // The question is the body as the client sent it, often still base64 or HTML; the text
        // beside it is what a person reads.
        std::cout << nlohmann::json{{"email", pair.email},
                                    {"question", pair.question},
                                    {"question_text", mailText(pair.question)},
                                    {"answer", pair.answer},
                                    {"created_at", pair.createdAt}}
                         .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
                  << "\n";
    });
    return 0;
}

int migrate(const CommandLine& line) {
    // Also prepares the store of a server yet to start.
    const StoreLocation location = storeLocation(line, IfMissing::Create);
    // Opened first, so that a store it refuses leaves only the line that says why.
    const int version = openStore(location)->schemaVersion();
    std::cout << storeName(location) << " is at schema version " << version << "\n";
    return 0;
}

std::string utc(std::int64_t seconds) {
    const std::time_t time = seconds;
    std::tm parts{};
    ::gmtime_r(&time, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%MZ", &parts);
    return text;
}

// Opens the store beside a running server, which sees the change on its next request.
int tokenList(const CommandLine& line) {
    store(line, IfMissing::Refuse)->forEachToken([](const TokenRecord& token) {
        std::cout << token.email << " " << token.hashPrefix << " created " << utc(token.createdAt)
                  << " last-used " << (token.lastUsedAt ? utc(*token.lastUsedAt) : "never") << "\n";
    });
    return 0;
}

int tokenRevoke(const CommandLine& line) {
    const auto opened = store(line, IfMissing::Refuse);
    const auto account = opened->account(line.email);
    if (!account) {
        throw std::runtime_error("there is no account " + line.email);
    }
    std::cout << "revoked " << opened->revokeTokens(account->email) << " tokens of "
              << account->email << "\n";
    return 0;
}

int run(const CommandLine& line) {
    switch (line.command) {
    case CommandLine::Command::Help:
        std::cout << usage();
        return 0;
    case CommandLine::Command::Serve:
        refuseSharedFolder(dataDir(line));
        if (line.serve.tlsInitIfMissing && !line.serve.tlsCert && !line.serve.tlsKey &&
            !std::filesystem::exists(line.data / "tls" / "server.pem")) {
            tlsInitIfMissing(line);
        }
        return serve(storeLocation(line, IfMissing::Create), line.serve);
    case CommandLine::Command::UserAdd:
        return userAdd(line);
    case CommandLine::Command::TlsInit:
        return tlsInit(line, line.force);
    case CommandLine::Command::ExportTraining:
        return exportTraining(line);
    case CommandLine::Command::Migrate:
        return migrate(line);
    case CommandLine::Command::TokenList:
        return tokenList(line);
    case CommandLine::Command::TokenRevoke:
        return tokenRevoke(line);
    }
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    try {
        keepMemoryPrivate();
        if (argc < 2) {
            std::cerr << usage();
            return 2;
        }
        CommandLine line = parseCommandLine(argc - 1, argv + 1);
        // Read whatever the command, so that it leaves the environment either way.
        const std::string storeUrl = takeEnvironmentVariable("QUORVANE_STORE_URL");
        if (line.storeUrl.empty()) {
            line.storeUrl = storeUrl;
        }
        return run(line);
    } catch (const CommandLineError& e) {
        std::cerr << "quorvane-backend: " << e.what() << "\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "quorvane-backend: " << e.what() << "\n";
        return 1;
    }
}
