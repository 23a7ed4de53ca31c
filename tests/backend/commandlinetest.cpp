// The command line of quorvane-backend: what it reads, what it refuses, and the administration
// commands run as an administrator runs them.
#include "commandline.h"

#include "backendprogram.h"
#include "beastnet.h"
#include "sqlitedatabase.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <sstream>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace fs = std::filesystem;
using backend::CommandLine;

namespace {

const fs::path settingsFile = fs::temp_directory_path() / ("qv-conf-" + std::to_string(::getpid()));

// `text` split at spaces; `settings`, when given, is the file that --config names.
CommandLine parse(const std::string& text, const std::string& settings = "") {
    std::istringstream in(text);
    std::vector<std::string> words{std::istream_iterator<std::string>(in), {}};
    if (!settings.empty()) {
        std::ofstream(settingsFile) << settings;
        words.insert(words.end(), {"--config", settingsFile.string()});
    }
    std::vector<const char*> argv(words.size());
    std::ranges::transform(words, argv.begin(), [](const std::string& w) { return w.c_str(); });
    return backend::parseCommandLine(static_cast<int>(argv.size()), argv.data());
}

bool signedBy(const std::string& certificatePem, const std::string& authorityPem) {
    const auto read = [](const std::string& pem) {
        const std::unique_ptr<BIO, decltype(&BIO_free)> bio(
            BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())), BIO_free);
        return std::unique_ptr<X509, decltype(&X509_free)>(
            PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr), X509_free);
    };
    const auto certificate = read(certificatePem);
    const auto authority = read(authorityPem);
    return certificate && authority &&
           X509_verify(certificate.get(), X509_get0_pubkey(authority.get())) == 1;
}

TEST(CommandLineTest, ReadsEveryCommandWithItsDefaults) {
    using C = CommandLine::Command;
    EXPECT_EQ(parse("").command, C::Help);
    for (const char* help : {"--help", "help", "serve --help", "user -h", "user add --help"}) {
        EXPECT_EQ(parse(help).command, C::Help) << help;
    }
    const CommandLine tls = parse("tls init --data d"), forced = parse("tls init --force --data d");
    EXPECT_EQ(std::tuple(tls.command, tls.force, forced.force),
              std::tuple(C::TlsInit, false, true));
    EXPECT_EQ(parse("export-training --data=d").data, "d");
    EXPECT_EQ(parse("migrate --data d").command, C::Migrate);
    EXPECT_EQ(parse("token list --data d").command, C::TokenList);
    EXPECT_EQ(parse("token revoke --user a@b --data d").email, "a@b");
    EXPECT_EQ(parse("token list --store postgresql://a@b/c").storeUrl, "postgresql://a@b/c");
    const CommandLine user = parse("user add ann@example.org --name Ann --data d");
    EXPECT_EQ(std::tuple(user.command, user.email, user.name),
              std::tuple(C::UserAdd, "ann@example.org", "Ann"));

    const auto d = parse("serve --data d").serve;
    EXPECT_EQ(std::tuple(d.listen.address, d.engine, d.fallback),
              std::tuple("127.0.0.1", "extractive", ""));
    EXPECT_EQ(std::tuple(d.listen.port, d.llmTimeoutSeconds, d.llmMaxInputChars, d.tokenDays,
                         d.sessionsPerMinute, d.storedMbPerDay, d.connectionsPerAddress,
                         d.keepAliveSeconds, d.storeConnections),
              std::tuple(8443, 50, 24000, 30, 30, 256, 256, 10, 8));
    EXPECT_FALSE(d.loginListen || d.publicUrl || d.llmQueue || d.llmTemperature || d.llmMaxTokens ||
                 d.llmAllowHttp || d.tlsInitIfMissing);

    const auto s = parse("serve --data d --listen [::1]:0 --login-listen 127.0.0.1:8080 "
                         "--engine openai --llm-url https://m --llm-model x --llm-timeout 30 "
                         "--llm-queue 9 --public-url https://api.example.org/ "
                         "--llm-model-summary s --llm-model-reply r --llm-model-chat c "
                         "--llm-temperature 0.3 --llm-max-tokens 512 --llm-max-input-chars 900 "
                         "--llm-allow-http --fallback extractive --token-days 7 "
                         "--store-connections 3 --stored-mb-per-day 2")
                       .serve;
    ASSERT_TRUE(s.loginListen && s.llmTemperature && s.llmMaxTokens && s.llmQueue && s.publicUrl);
    EXPECT_EQ(std::tuple(s.listen.address, s.llmModelSummary, s.llmModelReply, s.llmModelChat,
                         s.fallback, *s.publicUrl),
              std::tuple("::1", "s", "r", "c", "extractive", "https://api.example.org"));
    EXPECT_EQ(std::tuple(s.listen.port, s.loginListen->port, s.llmTimeoutSeconds, *s.llmQueue,
                         *s.llmMaxTokens, s.llmMaxInputChars, s.tokenDays, s.storeConnections,
                         s.storedMbPerDay),
              std::tuple(0, 8080, 30, 9, 512, 900, 7, 3, 2));
    EXPECT_EQ(*s.llmTemperature, 0.3);
    EXPECT_TRUE(s.llmAllowHttp);

    // A service's settings file uses the flags' names; what the command line says wins.
    const auto file = parse("serve --token-days 3", "# the service\ndata = /var/lib/q\n"
                                                    "listen = [::1]:9000\ntoken-days = 9\n"
                                                    "tls-init-if-missing = true\n");
    fs::remove(settingsFile);
    EXPECT_EQ(std::tuple(file.data, file.serve.listen.port, file.serve.tokenDays),
              std::tuple("/var/lib/q", 9000, 3));
    EXPECT_TRUE(file.serve.tlsInitIfMissing);
}

TEST(CommandLineTest, RefusesWhatItCannotRunWithOneLineThatSaysWhy) {
    const struct {
        const char* line = nullptr;
        const char* says = nullptr;
        const char* settings = "";
    } rows[] = {
        {"serve --data d --llm-time 30", "unrecognised option '--llm-time'"},
        {"serve --data d stray", "too many positional options"},
        {"serve", "'--data' is required"},
        {"serve --data d --config /nonexistent/backend.conf", "/nonexistent/backend.conf"},
        {"serve --data d --listen localhost:80", "localhost:80"},
        {"serve --data d --listen 127.0.0.1", "not ADDRESS:PORT"},
        {"serve --data d --listen 127.0.0.1:99999", "not ADDRESS:PORT"},
        {"serve --data d --listen user@127.0.0.1:1", "not ADDRESS:PORT"},
        {"serve --data d --llm-timeout 0", "--llm-timeout must be at least 1"},
        {"serve --data d --llm-queue -3", "--llm-queue must be at least 1"},
        {"serve --data d --llm-temperature 2.5", "--llm-temperature must be between 0 and 2"},
        {"serve --data d --llm-temperature nan", "--llm-temperature must be between 0 and 2"},
        {"serve --data d --llm-max-tokens 0", "--llm-max-tokens must be at least 1"},
        {"serve --data d --llm-max-input-chars 0", "--llm-max-input-chars must be at least 1"},
        {"serve --data d --fallback openai", "--fallback must be extractive"},
        {"serve --data d --public-url ftp://api.example.org", "--public-url must be an http or"},
        {"serve --data d --public-url https://h/?a=1", "--public-url must be an http or https"},
        {"serve --data d --public-url https:///", "--public-url must be an http or https"},
        {"serve --data d --llm-concurrency many", "llm-concurrency"},
        {"serve --data d --connections-per-address 0", "--connections-per-address must be at"},
        {"user add --name Ann --data d", "'--email' is required"},
        {"token revoke --data d", "'--user' is required"},
        {"serve --data d --token-days 0", "--token-days must be at least 1"},
        {"serve --data d --store-connections 0", "--store-connections must be at least 1"},
        {"user add a@b c@d --name Ann --data d", "too many positional options"},
        {"user add x --name Ann --data d", "'x' is not an e-mail address; it needs one @ with"},
        {"user add a@b@c --name Ann --data d", "'a@b@c' is not an e-mail address"},
        {"user add @b --name Ann --data d", "'@b' is not an e-mail address"},
        {"user add --email=a@ --name Ann --data d", "'a@' is not an e-mail address"},
        {"user remove a@b --data d", "unknown command 'user'"},
        {"frobnicate", "unknown command 'frobnicate'"},
        {"serve", "unrecognised option 'listen-on'", "data = d\nlisten-on = 127.0.0.1:1\n"},
        {"serve", "--token-days must be at least 1", "data = d\ntoken-days = 0\n"},
        {"serve", "not ADDRESS:PORT", "data = d\nlisten = nowhere\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.line) + " " + row.settings);
        try {
            (void)parse(row.line, row.settings);
            ADD_FAILURE() << "accepted";
        } catch (const backend::CommandLineError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find(row.says), std::string::npos) << message;
            EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        }
    }
    fs::remove(settingsFile);
}

TEST(CommandLineTest, AddressesAreReadAndWrittenAsUrlsDo) {
    EXPECT_EQ(backend::originUrl("http", {"::1", 8080}), "http://[::1]:8080");
    EXPECT_EQ(backend::originUrl("https", {"127.0.0.1", 443}), "https://127.0.0.1:443");
    for (const auto& [address, loopback] : {std::pair{"127.0.0.1", true},
                                            {"127.8.9.10", true},
                                            {"::1", true},
                                            {"0.0.0.0", false},
                                            {"::", false},
                                            {"10.0.0.1", false},
                                            {"localhost", false},
                                            {"", false}}) {
        EXPECT_EQ(backend::isLoopback(address), loopback) << address;
    }
}

// Data stays private under an open umask and serve refuses a folder others can open; the
// plain-HTTP sign-in listener takes passwords, so it listens on loopback only.
TEST(CommandLineTest, TheProgramKeepsItsDataPrivateAndStopsOnBadFlags) {
    std::string folder = fs::temp_directory_path() / "qv-cli-XXXXXX";
    const fs::path dir = fs::path(::mkdtemp(folder.data())) / "data";
    std::string errors;
    const auto backend = [&](const std::string& arguments, const std::string& input = "") {
        const ProgramRun run = runBackend(arguments, dir, input);
        errors = run.output;
        return run.exitCode;
    };
    const mode_t umask = ::umask(0);
    ASSERT_EQ(backend("tls init"), 0);
    ASSERT_EQ(backend("migrate"), 0);
    ::umask(umask);
    EXPECT_EQ(fs::status(dir).permissions(), fs::perms(0700));
    EXPECT_EQ(fs::status(dir / "tls").permissions(), fs::perms(0700));
    EXPECT_EQ(fs::status(dir / "backend.sqlite").permissions(), fs::perms(0600));
    fs::permissions(dir / "backend.sqlite", fs::perms(0644));
    ASSERT_EQ(backend("migrate"), 0);
    EXPECT_EQ(fs::status(dir / "backend.sqlite").permissions(), fs::perms(0600));
    for (const auto& [file, mode] : {std::pair{"server-key.pem", 0600},
                                     {"ca-key.pem", 0600},
                                     {"server.pem", 0644},
                                     {"ca.pem", 0644}}) {
        EXPECT_EQ(fs::status(dir / "tls" / file).permissions(), fs::perms(mode)) << file;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "tls"), fs::directory_iterator()), 4);
    // Clients trust the CA that is there; any one of its files keeps it from being replaced.
    const std::string ca = fileText(dir / "tls" / "ca.pem");
    for (const char* file : {"ca.pem", "ca-key.pem", "server.pem", "server-key.pem"}) {
        EXPECT_EQ(backend("tls init"), 1);
        EXPECT_EQ(
            errors,
            "quorvane-backend: " + (dir / "tls" / file).string() +
                " exists already; tls init --force replaces the CA and server certificate, after "
                "which every client must trust the new CA\n");
        EXPECT_EQ(fileText(dir / "tls" / "ca.pem"), file == std::string("ca.pem") ? ca : "");
        fs::remove(dir / "tls" / file);
    }
    ASSERT_EQ(backend("tls init"), 0);
    const std::string made = fileText(dir / "tls" / "ca.pem");
    ASSERT_EQ(backend("tls init --force"), 0);
    EXPECT_NE(fileText(dir / "tls" / "ca.pem"), made);

    EXPECT_EQ(backend("serve --listen 127.0.0.1:0 --llm-timout 30"), 2);
    EXPECT_EQ(errors, "quorvane-backend: serve: unrecognised option '--llm-timout'\n");
    EXPECT_EQ(backend("serve --listen 127.0.0.1:0 --login-listen 0.0.0.0:0"), 1);
    EXPECT_EQ(errors, "quorvane-backend: --login-listen must be a loopback address, such as "
                      "127.0.0.1:8080\n");
    for (const char* release : {"--release-version 2.0", "--release-url https://dl.example/2"}) {
        EXPECT_EQ(backend(std::string("serve --listen 127.0.0.1:0 ") + release), 1);
        EXPECT_EQ(errors, "quorvane-backend: --release-version and --release-url go together: "
                          "give both to offer an update\n");
    }

    const auto refused = [](const std::string& why) {
        return ProgramRun{2, "quorvane-backend: " + why + "\n"};
    };
    const auto notAnAddress = [&](const std::string& quoted) {
        return refused(quoted +
                       " is not an e-mail address; it needs one @ with text on both sides");
    };
    const ProgramRun shortPassword = refused("the password must be at least 12 characters long");
    const struct {
        const char* arguments = nullptr;
        const char* password = nullptr;
        ProgramRun run;
    } users[] = {
        {"ann@example.org --name Ann", "eleven char\n", shortPassword},
        {"ann@example.org --name Ann", "", shortPassword},
        {"ann@example.org --name Ann", " \t          \n",
         refused("the password must not be only whitespace")},
        {"'' --name Ann", "twelve chars", notAnAddress("''")},
        {"' @example.org' --name Ann", "twelve chars", notAnAddress("' @example.org'")},
        {"ann@example.org --name ' '", "twelve chars", refused("--name must not be blank")},
        {"ann@example.org --name Ann", "twelve chars", {0, "added ann@example.org\n"}},
        // Sign-in drops the spaces around an address, so the account is made without them.
        {"' jörg@bücher.de ' --name Jörg", "twelve chars", {0, "added jörg@bücher.de\n"}},
    };
    for (const auto& user : users) {
        const int status = backend(std::string("user add ") + user.arguments, user.password);
        EXPECT_EQ((ProgramRun{status, errors}), user.run) << user.arguments;
    }
    // Sign-in takes an address in any letter case, so one differing in case alone is refused.
    EXPECT_EQ(backend("user add Ann@Example.org --name Ann", "twelve chars"), 1);
    EXPECT_EQ(errors, "quorvane-backend: the account ann@example.org exists already\n");
    // A mistyped folder is said to be one, not taken for an empty store.
    for (const char* command : {"token list", "token revoke --user a@b", "export-training"}) {
        EXPECT_EQ(runBackend(command, dir / "typo").exitCode, 1) << command;
        EXPECT_FALSE(fs::exists(dir / "typo")) << command;
    }

    fs::permissions(dir, fs::perms(0750));
    EXPECT_EQ(backend("serve --listen 127.0.0.1:0"), 1);
    EXPECT_EQ(errors, "quorvane-backend: the data folder " + dir.string() +
                          " is open to other users (mode 0750); make it private with chmod 700 " +
                          dir.string() + "\n");
    fs::permissions(dir, fs::perms(0700));

    // What keeps serve from starting is said with what mends it, in one line.
    const fs::path fresh = dir / "fresh";
    EXPECT_EQ(
        runBackend("serve --listen 127.0.0.1:0", fresh),
        (ProgramRun{1, "quorvane-backend: cannot read " + (fresh / "tls/server.pem").string() +
                           "; quorvane-backend tls init --data " + fresh.string() +
                           " or serve --tls-init-if-missing makes one\n"}));
    backend::asio::io_context io;
    const backend::tcp::acceptor held(io, {backend::asio::ip::address_v4::loopback(), 0});
    const std::string taken = "127.0.0.1:" + std::to_string(held.local_endpoint().port());
    const std::string inUse =
        "quorvane-backend: cannot listen on " + taken + ": Address already in use\n";
    EXPECT_THAT(runBackend("serve --tls-init-if-missing --listen " + taken, fresh).output,
                testing::EndsWith(inUse));
    EXPECT_TRUE(fs::exists(fresh / "tls/server.pem"));
    EXPECT_EQ(runBackend("serve --tls-init-if-missing --listen 127.0.0.1:0 --login-listen " + taken,
                         fresh),
              (ProgramRun{1, inUse}));
    // Clients may trust the CA of a start that failed before the server certificate was written.
    const std::string keptCa = fileText(fresh / "tls/ca.pem");
    fs::remove(fresh / "tls/server.pem");
    EXPECT_THAT(runBackend("serve --tls-init-if-missing --listen " + taken, fresh).output,
                testing::EndsWith(inUse));
    EXPECT_EQ(fileText(fresh / "tls/ca.pem"), keptCa);
    EXPECT_TRUE(signedBy(fileText(fresh / "tls/server.pem"), keptCa));
    const fs::path wrongKey = dir / "tls/server-key.pem";
    EXPECT_EQ(runBackend("serve --listen 127.0.0.1:0 --tls-key " + wrongKey.string(), fresh),
              (ProgramRun{1, "quorvane-backend: cannot serve TLS with the certificate " +
                                 (fresh / "tls/server.pem").string() + " and the key " +
                                 wrongKey.string() +
                                 ": key values mismatch (x509 certificate routines)\n"}));

    sqlite::Database(dir / "backend.sqlite").exec("UPDATE schema_version SET version = 999");
    for (const char* command : {"serve --listen 127.0.0.1:0", "migrate"}) {
        EXPECT_EQ(backend(command), 1) << command;
        EXPECT_THAT(errors, testing::StartsWith("quorvane-backend: ")) << command;
        EXPECT_EQ(std::ranges::count(errors, '\n'), 1) << errors;
        EXPECT_NE(errors.find("has schema version 999, newer than"), std::string::npos);
    }
    fs::remove_all(dir.parent_path());
}

} // namespace
