// The administration commands of quorvane-backend, run as an administrator runs them.
#include "authenticator.h"
#include "loopbackclient.h"
#include "manualclock.h"
#include "store.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace backend;
namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class CommandLineTest : public testing::Test {
protected:
    CommandLineTest()
        : dir(fs::temp_directory_path() / ("qv-cli-" + std::to_string(::getpid()))) {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~CommandLineTest() override { fs::remove_all(dir); }

    struct Run {
        int status = -1;
        std::string output;
    };

    // Runs the backend with `arguments`, `input` on standard input; returns the exit status
    // and standard output.
    Run backend(const std::string& arguments, const std::string& input = "") {
        std::ofstream(dir / "stdin") << input;
        const std::string command = std::string(QUORVANE_BACKEND_BINARY) + " " + arguments +
                                    " --data " + dir.string() + " < " + (dir / "stdin").string() +
                                    " > " + (dir / "stdout").string();
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(dir / "stdout")};
    }

    fs::path dir;
};

TEST_F(CommandLineTest, AddedUserSignsInAndTrainingPairsExportAsJsonLines) {
    EXPECT_EQ(backend("user add ann@example.org --name 'Ann Lee'", "").status, 2);
    ASSERT_EQ(backend("user add ann@example.org --name 'Ann Lee'", "a long password\n").status, 0);
    {
        Store store(dir / "backend.sqlite");
        ManualClock clock;
        Authenticator auth(store, clock, {});
        const std::string session = auth.createSession();
        EXPECT_EQ(auth.login(session, "ann@example.org", "a long password", ""),
                  Authenticator::LoginResult::SignedIn);
        EXPECT_EQ(store.account("ann@example.org")->name, "Ann Lee");
        store.addTrainingPair({"ann@example.org", "Line one\n\"quoted\" \xC3\xBC", "Answer", 10});
        store.addTrainingPair({"ann@example.org", "Second", "Another\tanswer", 20});
    }
    const Run exported = backend("export-training");
    ASSERT_EQ(exported.status, 0);
    std::istringstream lines(exported.output);
    std::vector<nlohmann::json> pairs;
    for (std::string line; std::getline(lines, line);) {
        pairs.push_back(nlohmann::json::parse(line));
    }
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[0]["question"], "Line one\n\"quoted\" \xC3\xBC");
    EXPECT_EQ(pairs[0]["email"], "ann@example.org");
    EXPECT_EQ(pairs[1]["answer"], "Another\tanswer");
    EXPECT_EQ(pairs[1]["created_at"], 20);
}

// A running `serve`, stopped with SIGTERM when it goes.
class Served {
public:
    explicit Served(const std::vector<std::string>& arguments) {
        int out[2];
        EXPECT_EQ(::pipe(out), 0);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            std::vector<char*> argv{const_cast<char*>(QUORVANE_BACKEND_BINARY)};
            for (const auto& argument : arguments) {
                argv.push_back(const_cast<char*>(argument.c_str()));
            }
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        output_ = ::fdopen(out[0], "r");
    }
    ~Served() { (void)stop(); }

    /// The next line of standard output that starts with `prefix`, without it.
    std::string after(const std::string& prefix) {
        char line[4096];
        while (std::fgets(line, sizeof line, output_)) {
            const std::string text(line);
            if (text.starts_with(prefix)) {
                return text.substr(prefix.size(), text.size() - prefix.size() - 1);
            }
        }
        return "";
    }

    int stop() {
        if (pid_ <= 0) {
            return -1;
        }
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        std::fclose(output_);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    FILE* output_ = nullptr;
};

std::string plainGet(std::uint16_t port, const std::string& target) {
    const int fd = connectLoopback(port);
    const std::string request =
        "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    (void)::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string answer;
    char buffer[4096];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
        answer.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return answer;
}

std::uint16_t portOf(const std::string& url) {
    return static_cast<std::uint16_t>(std::stoi(url.substr(url.rfind(':') + 1)));
}

// The certificate that `tls init` makes serves the API, which its CA verifies; the plain-HTTP
// listener serves the sign-in page only, and only on loopback.
TEST_F(CommandLineTest, TlsInitThenServeWithTheLoginListener) {
    // Even with a umask that lets everyone read new files, keys are made private.
    const mode_t umask = ::umask(0);
    ASSERT_EQ(backend("tls init").status, 0);
    ::umask(umask);
    for (const auto& [file, mode] : {std::pair{"server-key.pem", 0600},
                                     {"ca-key.pem", 0600},
                                     {"server.pem", 0644},
                                     {"ca.pem", 0644}}) {
        EXPECT_EQ(fs::status(dir / "tls" / file).permissions(), fs::perms(mode)) << file;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "tls"), fs::directory_iterator()), 4);
    EXPECT_EQ(backend("serve --listen 127.0.0.1:0 --login-listen 0.0.0.0:0").status, 1);
    Served served({"serve", "--data", dir.string(), "--listen", "127.0.0.1:0", "--login-listen",
                   "127.0.0.1:0"});
    const std::string loginUrl = served.after("sign-in page on ");
    const std::string publicUrl = served.after("listening on ");
    ASSERT_TRUE(loginUrl.starts_with("http://127.0.0.1:")) << loginUrl;
    LoopbackClient api(portOf(publicUrl), readFile(dir / "tls" / "ca.pem"));
    const LoopbackClient::Answer session = api.send(LoopbackClient::request(
        "GET", "/plugin-auth/session-request/", "", "", LoopbackClient::Connection::KeepAlive));
    const std::string link = nlohmann::json::parse(session.body)["login_url"];
    EXPECT_TRUE(link.starts_with(loginUrl + "/plugin-auth/login?session=")) << link;
    const std::string page = plainGet(portOf(loginUrl), link.substr(loginUrl.size()));
    EXPECT_TRUE(page.starts_with("HTTP/1.1 200")) << page;
    EXPECT_NE(page.find("<form method=\"post\""), std::string::npos);
    EXPECT_TRUE(plainGet(portOf(loginUrl), "/api/v1/me").starts_with("HTTP/1.1 404"));
    EXPECT_TRUE(plainGet(portOf(loginUrl), "/health").starts_with("HTTP/1.1 404"));
    EXPECT_EQ(served.stop(), 0);
}

} // namespace
