// Attacks on a running quorvane-backend from the same machine.
#include "backendprocess.h"
#include "backendprogram.h"
#include "backendworld.h"
#include "beastnet.h"
#include "secrets.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace backend;

namespace {

// The status of the answer to `raw` over plain HTTP, or 0.
int plainStatus(std::uint16_t port, const std::string& raw) {
    asio::io_context io;
    tcp::socket socket(io);
    beast::error_code ec;
    socket.connect({asio::ip::address_v4::loopback(), port}, ec);
    asio::write(socket, asio::buffer(raw), ec);
    beast::flat_buffer buffer;
    http::response<http::string_body> answer;
    http::read(socket, buffer, answer, ec);
    return ec ? 0 : static_cast<int>(answer.result_int());
}

// The sign-in listener takes passwords from the user's browser, so it serves neither a page
// that rebinds its DNS name to 127.0.0.1 nor a form posted from another origin.
TEST(RunningBackend, LoginListenerServesOnlyItsOwnOrigin) {
    BackendProcess backend({"--listen", "127.0.0.1:0", "--login-listen", "127.0.0.1:0"});
    const std::string url = backend.lineAfter("sign-in page on ");
    ASSERT_TRUE(url.starts_with("http://127.0.0.1:")) << url;
    const std::string own = url.substr(std::string("http://").size());
    const std::string port = url.substr(url.rfind(':') + 1);
    struct Case {
        std::string method, host, origin;
        bool refused;
    };
    const std::vector<Case> cases = {
        {"GET", own, "", false},
        {"GET", "rebound.example:" + port, "", true},
        {"GET", "localhost:" + port, "", true},
        {"GET", "", "", true},
        {"POST", own, "", false},
        {"POST", own, url, false},
        {"POST", own, "http://attacker.example", true},
        {"POST", own, "http://127.0.0.1:1", true},
        {"POST", own, "null", true},
        {"POST", "rebound.example:" + port, url, true},
    };
    const std::string form = "code=x&email=ann%40example.org&password=guess";
    for (const Case& c : cases) {
        const bool get = c.method == "GET";
        const std::string raw =
            c.method + (get ? " /plugin-auth/login.css" : " /plugin-auth/login") + " HTTP/1.1\r\n" +
            (c.host.empty() ? "" : "Host: " + c.host + "\r\n") +
            (c.origin.empty() ? "" : "Origin: " + c.origin + "\r\n") +
            "Connection: close\r\nContent-Type: application/x-www-form-urlencoded\r\n"
            "Content-Length: " +
            std::to_string(get ? 0 : form.size()) + "\r\n\r\n" + (get ? "" : form);
        SCOPED_TRACE(c.method + " " + c.host + " " + c.origin);
        const int status = plainStatus(static_cast<std::uint16_t>(std::stoi(port)), raw);
        EXPECT_NE(status, 0);
        EXPECT_EQ(status == 403, c.refused) << status;
    }
}

// Declaring a mail's 40 MiB and sending none of it would hold the room kept for large bodies:
// without a token the declaration gets the routes' 401 at once.
TEST(RunningBackend, OnlySignedInClientsMaySendLargeBodies) {
    BackendProcess backend({"--listen", "127.0.0.1:0"});
    const std::uint16_t port = backend.apiPort();
    ASSERT_NE(port, 0);
    const LoopbackClient::Answer answer =
        LoopbackClient(port, backend.caPem())
            .send("POST /api/v1/summarize HTTP/1.1\r\nHost: x\r\nContent-Length: " +
                  std::to_string(std::size_t{40} << 20) + "\r\n\r\n{");
    EXPECT_EQ(answer.status, 401);
    EXPECT_EQ(answer.body, R"({"error":"missing or invalid access token"})");
}

// Neither another process of the same user nor a core file gets the model key. The log names
// the port bound, though clients know the server by another name.
TEST(RunningBackend, ModelKeyLeavesTheEnvironmentAndNoCoreIsDumped) {
    const std::string key = "sk-" + secrets::randomHex(16);
    BackendProcess backend({"--listen", "127.0.0.1:0", "--engine", "openai", "--llm-url",
                            "https://127.0.0.1:9/v1", "--llm-model", "m", "--public-url",
                            "https://api.example.org"},
                           {"QUORVANE_LLM_API_KEY=" + key});
    ASSERT_TRUE(backend.lineAfter("listening on ").starts_with("https://127.0.0.1:"));
    EXPECT_EQ(backend.lineAfter("clients reach it at "), "https://api.example.org");
    const std::string proc = "/proc/" + std::to_string(backend.pid());
    // Unreadable is as good: a process that may not be dumped keeps this from others.
    EXPECT_EQ(fileText(proc + "/environ").find(key), std::string::npos);
    rlimit core{};
    ASSERT_EQ(::prlimit(backend.pid(), RLIMIT_CORE, nullptr, &core), 0);
    EXPECT_EQ(core.rlim_cur, 0u);
    EXPECT_EQ(core.rlim_max, 0u);
    struct stat owner {};
    if (::getuid() != 0 && ::stat((proc + "/environ").c_str(), &owner) == 0) {
        EXPECT_EQ(owner.st_uid, 0u) << "a process that may not be dumped belongs to root in /proc";
    }
}

} // namespace
