// The administration commands of quorvane-backend, run as an administrator runs them.
#include "authenticator.h"
#include "httpsserver.h"
#include "loopbackclient.h"
#include "manualclock.h"
#include "store.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>
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
        EXPECT_EQ(auth.login(session, "ann@example.org", "a long password"),
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

TEST_F(CommandLineTest, TlsInitMakesACertificateThatTheLocalCaVerifies) {
    ASSERT_EQ(backend("tls init").status, 0);
    const fs::path tls = dir / "tls";
    EXPECT_EQ(fs::status(tls / "server-key.pem").permissions() & fs::perms::group_all,
              fs::perms::none);
    EXPECT_EQ(fs::status(tls / "ca-key.pem").permissions() & fs::perms::others_all,
              fs::perms::none);

    ServerOptions options;
    options.port = 0;
    options.certificatePem = readFile(tls / "server.pem");
    options.keyPem = readFile(tls / "server-key.pem");
    HttpsServer server(
        options,
        [](const HttpRequest&) {
            return HttpResponse{200, "application/json", "{}", {}};
        },
        [](const std::string&) {});
    LoopbackClient client(server.start(), readFile(tls / "ca.pem"));
    EXPECT_EQ(client
                  .send(LoopbackClient::request("GET", "/health", "", "",
                                                LoopbackClient::Connection::Close))
                  .status,
              200);
}

} // namespace
