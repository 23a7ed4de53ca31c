// The administration commands of quorvane-backend, run as an administrator runs them.
#include "backendworld.h"
#include "store.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace backend;
namespace fs = std::filesystem;

namespace {

const std::string program = QUORVANE_BACKEND_BINARY;

// One line of `out`, without its end.
std::string lineOf(FILE* out) {
    char line[4096] = "";
    std::string text = std::fgets(line, sizeof line, out) ? line : "";
    return text.ends_with('\n') ? text.substr(0, text.size() - 1) : text;
}

std::string readAll(FILE* out) {
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;) {
        text.append(buffer, n);
    }
    return text;
}

std::string plainGet(std::uint16_t port, const std::string& target) {
    const int fd = connectLoopback(port);
    const std::string request = LoopbackClient::request("GET", target);
    (void)::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    FILE* answer = ::fdopen(fd, "r");
    const std::string text = readAll(answer);
    std::fclose(answer);
    return text;
}

class CommandLineTest : public testing::Test {
protected:
    CommandLineTest() {
        std::string folder = fs::temp_directory_path() / "qv-cli-XXXXXX";
        dir = ::mkdtemp(folder.data());
    }
    ~CommandLineTest() override { fs::remove_all(dir); }

    // Runs the backend with `arguments` and `input` on standard input; gives the exit status
    // and what it wrote to standard output.
    std::pair<int, std::string> backend(const std::string& arguments,
                                        const std::string& input = "") {
        std::ofstream(dir / "stdin") << input;
        FILE* out = ::popen((program + " " + arguments + " --data " + dir.string() + " < " +
                             (dir / "stdin").string())
                                .c_str(),
                            "r");
        const std::string output = readAll(out);
        const int status = ::pclose(out);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
    }

    fs::path dir;
};

TEST_F(CommandLineTest, AddedUserIsStoredAndTrainingPairsExportAsJsonLines) {
    EXPECT_EQ(backend("user add ann@example.org --name 'Ann Lee'").first, 2);
    EXPECT_EQ(backend("user add ann@example.org --name 'Ann Lee'", "a long password\n"),
              std::pair(0, std::string("added ann@example.org\n")));
    Store(dir / "backend.sqlite")
        .addTrainingPair({"ann@example.org", "1\n\"2\" \xC3\xBC", "3", 10});
    const auto [status, output] = backend("export-training");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(nlohmann::json::parse(output), (nlohmann::json{{"email", "ann@example.org"},
                                                             {"question", "1\n\"2\" \xC3\xBC"},
                                                             {"answer", "3"},
                                                             {"created_at", 10}}));
}

// The plain-HTTP listener that `tls init` and `serve` set up serves the sign-in page only,
// and only on loopback; its access log leaves the session out.
TEST_F(CommandLineTest, TlsInitKeepsKeysPrivateAndTheLoginListenerServesOnlyItsPage) {
    // Even with a umask that lets everyone read new files, keys are made private.
    const mode_t umask = ::umask(0);
    ASSERT_EQ(backend("tls init").first, 0);
    ::umask(umask);
    for (const auto& [file, mode] : {std::pair{"server-key.pem", 0600},
                                     {"ca-key.pem", 0600},
                                     {"server.pem", 0644},
                                     {"ca.pem", 0644}}) {
        EXPECT_EQ(fs::status(dir / "tls" / file).permissions(), fs::perms(mode)) << file;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "tls"), fs::directory_iterator()), 4);
    EXPECT_EQ(backend("serve --listen 127.0.0.1:0 --login-listen 0.0.0.0:0").first, 1);

    // The shell prints its pid, which `exec` hands on to the backend.
    FILE* served = ::popen(("echo $$; exec " + program + " serve --data " + dir.string() +
                            " --listen 127.0.0.1:0 --login-listen 127.0.0.1:0")
                               .c_str(),
                           "r");
    const pid_t pid = std::atoi(lineOf(served).c_str());
    ASSERT_GT(pid, 1);
    const std::string login = lineOf(served);
    EXPECT_TRUE(login.starts_with("sign-in page on http://127.0.0.1:")) << login;
    const auto port =
        static_cast<std::uint16_t>(std::atoi(login.substr(login.rfind(':') + 1).c_str()));
    EXPECT_TRUE(lineOf(served).starts_with("listening on https://127.0.0.1:"));
    const std::string page = plainGet(port, "/plugin-auth/login?session=abc");
    EXPECT_TRUE(page.starts_with("HTTP/1.1 200")) << page;
    EXPECT_NE(page.find("<form method=\"post\""), std::string::npos);
    EXPECT_TRUE(plainGet(port, "/api/v1/me").starts_with("HTTP/1.1 404"));
    ::kill(pid, SIGTERM);
    EXPECT_EQ(readAll(served), "GET /plugin-auth/login 200\nGET /api/v1/me 404\nstopping\n");
    EXPECT_EQ(::pclose(served), 0);
}

} // namespace
