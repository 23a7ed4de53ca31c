// The command line of quorvane-backend: what it reads, what it refuses, and the administration
// commands run as an administrator runs them.
#include "commandline.h"

#include "backendprogram.h"
#include "sqlitedatabase.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using backend::CommandLine;

namespace {

CommandLine parse(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words{std::istream_iterator<std::string>(in), {}};
    std::vector<const char*> argv;
    for (const auto& word : words) {
        argv.push_back(word.c_str());
    }
    return backend::parseCommandLine(static_cast<int>(argv.size()), argv.data());
}

TEST(CommandLineTest, ReadsEveryCommandWithItsDefaults) {
    using C = CommandLine::Command;
    EXPECT_EQ(parse("").command, C::Help);
    EXPECT_EQ(parse("--help").command, C::Help);
    EXPECT_EQ(parse("tls init --data d").command, C::TlsInit);
    EXPECT_EQ(parse("export-training --data=d").data, "d");
    EXPECT_EQ(parse("migrate --data d").command, C::Migrate);
    EXPECT_EQ(parse("token list --data d").command, C::TokenList);
    EXPECT_EQ(parse("token revoke --user a@b --data d").email, "a@b");
    EXPECT_EQ(parse("serve --data d --token-days 7").serve.tokenDays, 7);
    EXPECT_EQ(parse("token list --store postgresql://a@b/c").storeUrl, "postgresql://a@b/c");
    EXPECT_EQ(parse("serve --data d --store-connections 3").serve.storeConnections, 3);

    const CommandLine user = parse("user add ann@example.org --name Ann --data d");
    EXPECT_EQ(user.command, C::UserAdd);
    EXPECT_EQ(user.email, "ann@example.org");
    EXPECT_EQ(user.name, "Ann");

    const auto defaults = parse("serve --data d").serve;
    EXPECT_EQ(defaults.listen.address, "127.0.0.1");
    EXPECT_EQ(defaults.listen.port, 8443);
    EXPECT_FALSE(defaults.loginListen || defaults.publicUrl || defaults.llmQueue);
    EXPECT_EQ(defaults.engine, "extractive");
    EXPECT_EQ(defaults.llmTimeoutSeconds, 50);
    EXPECT_EQ(defaults.llmMaxInputChars, 24000);
    EXPECT_FALSE(defaults.llmTemperature || defaults.llmMaxTokens || defaults.llmAllowHttp);
    EXPECT_EQ(defaults.fallback, "");
    EXPECT_EQ(defaults.tokenDays, 30);
    EXPECT_EQ(defaults.sessionsPerMinute, 30);
    EXPECT_EQ(defaults.connectionsPerAddress, 256);
    EXPECT_EQ(defaults.keepAliveSeconds, 10);
    EXPECT_EQ(defaults.storeConnections, 8);

    const auto set = parse("serve --data d --listen [::1]:0 --login-listen 127.0.0.1:8080 "
                           "--engine openai --llm-url https://m --llm-model x --llm-timeout 30 "
                           "--llm-queue 9 --public-url https://api.example.org "
                           "--llm-model-summary s --llm-model-reply r --llm-model-chat c "
                           "--llm-temperature 0.3 --llm-max-tokens 512 --llm-max-input-chars 900 "
                           "--llm-allow-http --fallback extractive")
                         .serve;
    EXPECT_EQ(set.llmModelSummary + set.llmModelReply + set.llmModelChat, "src");
    EXPECT_EQ(set.llmTemperature, 0.3);
    EXPECT_EQ(set.llmMaxTokens, 512);
    EXPECT_EQ(set.llmMaxInputChars, 900);
    EXPECT_TRUE(set.llmAllowHttp);
    EXPECT_EQ(set.fallback, "extractive");
    EXPECT_EQ(set.listen.address, "::1");
    EXPECT_EQ(set.listen.port, 0);
    ASSERT_TRUE(set.loginListen);
    EXPECT_EQ(set.loginListen->port, 8080);
    EXPECT_EQ(set.llmTimeoutSeconds, 30);
    EXPECT_EQ(set.llmQueue, 9);
    EXPECT_EQ(set.publicUrl, "https://api.example.org");
}

// A service's settings file uses the flags' names; what the command line says wins.
TEST(CommandLineTest, ServeReadsASettingsFileUnderTheCommandLine) {
    const fs::path file = fs::temp_directory_path() / ("qv-conf-" + std::to_string(::getpid()));
    const auto parseWith = [&](const std::string& contents, const std::string& flags) {
        std::ofstream(file) << contents;
        return parse("serve --config " + file.string() + " " + flags);
    };
    const auto settings = parseWith("# the service\ndata = /var/lib/q\nlisten = [::1]:9000\n"
                                    "token-days = 9\ntls-init-if-missing = true\n",
                                    "--token-days 3");
    EXPECT_EQ(settings.data, "/var/lib/q");
    EXPECT_EQ(settings.serve.listen.port, 9000);
    EXPECT_EQ(settings.serve.tokenDays, 3);
    EXPECT_TRUE(settings.serve.tlsInitIfMissing);
    EXPECT_FALSE(parse("serve --data d").serve.tlsInitIfMissing);
    for (const auto& [contents, says] :
         {std::pair{"data = d\nlisten-on = 127.0.0.1:1\n", "unrecognised option 'listen-on'"},
          {"data = d\ntoken-days = 0\n", "--token-days must be at least 1"},
          {"data = d\nlisten = nowhere\n", "not ADDRESS:PORT"}}) {
        try {
            (void)parseWith(contents, "");
            ADD_FAILURE() << contents << " was accepted";
        } catch (const backend::CommandLineError& e) {
            EXPECT_NE(std::string(e.what()).find(says), std::string::npos) << e.what();
        }
    }
    fs::remove(file);
}

TEST(CommandLineTest, RefusesWhatItCannotRunWithOneLineThatSaysWhy) {
    const struct {
        const char* line;
        const char* says;
    } rows[] = {
        {"serve --data d --llm-timout 30", "unrecognised option '--llm-timout'"},
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
        {"serve --data d --llm-concurrency many", "llm-concurrency"},
        {"serve --data d --connections-per-address 0", "--connections-per-address must be at"},
        {"user add --name Ann --data d", "'--email' is required"},
        {"token revoke --data d", "'--user' is required"},
        {"serve --data d --token-days 0", "--token-days must be at least 1"},
        {"serve --data d --store-connections 0", "--store-connections must be at least 1"},
        {"user add a@b c@d --name Ann --data d", "too many positional options"},
        {"user remove a@b --data d", "unknown command 'user'"},
        {"frobnicate", "unknown command 'frobnicate'"},
    };
    for (const auto& row : rows) {
        try {
            (void)parse(row.line);
            ADD_FAILURE() << row.line << " was accepted";
        } catch (const backend::CommandLineError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find(row.says), std::string::npos) << row.line << ": " << message;
            EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        }
    }
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

// The program itself: the data folder, its keys and its database stay private even under a
// umask that lets everyone read new files, and serve refuses a folder others can open; a
// misspelt flag stops the start with one line, and the plain-HTTP sign-in listener, which
// takes passwords, only listens on loopback.
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

    EXPECT_EQ(backend("serve --listen 127.0.0.1:0 --llm-timout 30"), 2);
    EXPECT_EQ(errors, "quorvane-backend: serve: unrecognised option '--llm-timout'\n");
    EXPECT_EQ(backend("serve --listen 127.0.0.1:0 --login-listen 0.0.0.0:0"), 1);
    EXPECT_EQ(std::ranges::count(errors, '\n'), 1) << errors;

    for (const auto& [password, status] :
         {std::pair{"eleven char\n", 2}, {"", 2}, {"twelve chars", 0}}) {
        EXPECT_EQ(backend("user add ann@example.org --name Ann", password), status) << password;
    }

    fs::permissions(dir, fs::perms(0750));
    EXPECT_EQ(backend("serve --listen 127.0.0.1:0"), 1);
    EXPECT_EQ(errors, "quorvane-backend: the data folder " + dir.string() +
                          " is open to other users (mode 0750); make it private with chmod 700 " +
                          dir.string() + "\n");
    fs::permissions(dir, fs::perms(0700));

    sqlite::Database(dir / "backend.sqlite").exec("UPDATE schema_version SET version = 999");
    EXPECT_EQ(backend("serve --listen 127.0.0.1:0"), 1);
    EXPECT_EQ(std::ranges::count(errors, '\n'), 1) << errors;
    EXPECT_NE(errors.find("has schema version 999, newer than"), std::string::npos);
    fs::remove_all(dir.parent_path());
}

} // namespace
