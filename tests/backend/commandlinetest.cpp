// The administration commands of quorvane-backend, run as an administrator runs them.
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

// Keys stay private even under a umask that lets everyone read new files, and the plain-HTTP
// sign-in listener, which takes passwords, only listens on loopback.
TEST(CommandLineTest, TlsInitKeepsKeysPrivateAndTheLoginListenerStaysOnLoopback) {
    std::string folder = fs::temp_directory_path() / "qv-cli-XXXXXX";
    const fs::path dir = ::mkdtemp(folder.data());
    const auto backend = [&](const std::string& arguments) {
        const int status = std::system((QUORVANE_BACKEND_BINARY " " + arguments + " --data " +
                                        dir.string() + " >/dev/null 2>&1")
                                           .c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    const mode_t umask = ::umask(0);
    ASSERT_EQ(backend("tls init"), 0);
    ::umask(umask);
    for (const auto& [file, mode] : {std::pair{"server-key.pem", 0600},
                                     {"ca-key.pem", 0600},
                                     {"server.pem", 0644},
                                     {"ca.pem", 0644}}) {
        EXPECT_EQ(fs::status(dir / "tls" / file).permissions(), fs::perms(mode)) << file;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "tls"), fs::directory_iterator()), 4);
    EXPECT_EQ(backend("serve --listen 127.0.0.1:0 --login-listen 0.0.0.0:0"), 1);
    fs::remove_all(dir);
}

} // namespace
