// The administration commands of quorvane-backend, run as an administrator runs them.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

class CommandLineTest : public testing::Test {
protected:
    CommandLineTest() {
        std::string folder = fs::temp_directory_path() / "qv-cli-XXXXXX";
        dir = ::mkdtemp(folder.data());
    }
    ~CommandLineTest() override { fs::remove_all(dir); }

    // Runs the backend with `arguments` after `input` on standard input; gives the exit status
    // and what it wrote to standard output.
    std::pair<int, std::string> backend(const std::string& arguments,
                                        const std::string& input = "") {
        FILE* out = ::popen(("printf '" + input + "' | " + QUORVANE_BACKEND_BINARY + " " +
                             arguments + " --data " + dir.string())
                                .c_str(),
                            "r");
        std::string output;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;) {
            output.append(buffer, n);
        }
        const int status = ::pclose(out);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
    }

    fs::path dir;
};

// The password comes on standard input, so that it stays out of the shell's history.
TEST_F(CommandLineTest, UserAddTakesThePasswordFromStandardInput) {
    EXPECT_EQ(backend("user add ann@example.org --name 'Ann Lee'").first, 2);
    EXPECT_EQ(backend("user add ann@example.org --name 'Ann Lee'", "a long password\\n"),
              std::pair(0, std::string("added ann@example.org\n")));
}

// Keys stay private even under a umask that lets everyone read new files, and the plain-HTTP
// sign-in listener, which takes passwords, only listens on loopback.
TEST_F(CommandLineTest, TlsInitKeepsKeysPrivateAndTheLoginListenerStaysOnLoopback) {
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
}

} // namespace
