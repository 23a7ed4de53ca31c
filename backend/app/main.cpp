#include "allocator.h"
#include "authenticator.h"
#include "certificateauthority.h"
#include "extractiveengine.h"
#include "httpsserver.h"
#include "openaiengine.h"
#include "privatefile.h"
#include "router.h"
#include "store.h"

#include <arpa/inet.h>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <thread>

namespace {

using namespace backend;

const char* usage =
    "usage: quorvane-backend serve [--listen HOST:PORT] --data DIR [--tls-cert F --tls-key F]\n"
    "                              [--public-url URL] [--release-version V --release-url URL]\n"
    "                              [--login-listen 127.0.0.1:PORT]\n"
    "                              [--engine extractive|openai --llm-url URL --llm-model NAME\n"
    "                               --llm-timeout SECONDS --llm-concurrency N --llm-queue N]\n"
    "                              (key in QUORVANE_LLM_API_KEY)\n"
    "       quorvane-backend user add EMAIL --name NAME --data DIR   (password on stdin)\n"
    "       quorvane-backend export-training --data DIR               (JSONL on stdout)\n"
    "       quorvane-backend tls init --data DIR\n";

// Answers in flight when SIGTERM arrives get this long to be written.
constexpr std::chrono::milliseconds stopGrace{10000};

std::map<std::string, std::string> options(int argc, char** argv, int from,
                                           std::vector<std::string>& positional) {
    std::map<std::string, std::string> result;
    for (int i = from; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.starts_with("--") && i + 1 < argc) {
            result[arg.substr(2)] = argv[++i];
        } else {
            positional.push_back(arg);
        }
    }
    return result;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::size_t count(std::map<std::string, std::string>& opts, const std::string& name,
                  std::size_t fallback) {
    if (!opts.contains(name)) {
        return fallback;
    }
    const long value = std::stol(opts[name]);
    if (value < 1) {
        throw std::runtime_error("--" + name + " must be at least 1");
    }
    return static_cast<std::size_t>(value);
}

struct HostPort {
    std::string host;
    std::uint16_t port = 0;
};

HostPort hostPort(const std::string& text, const std::string& flag) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos) {
        throw std::runtime_error("--" + flag + " must be HOST:PORT");
    }
    HostPort result{text.substr(0, colon),
                    static_cast<std::uint16_t>(std::stoi(text.substr(colon + 1)))};
    if (result.host.size() > 2 && result.host.front() == '[') {
        result.host = result.host.substr(1, result.host.size() - 2);
    }
    return result;
}

std::string urlHost(const std::string& address) {
    return address.find(':') != std::string::npos ? "[" + address + "]" : address;
}

bool isLoopback(const std::string& address) {
    in_addr v4{};
    in6_addr v6{};
    if (::inet_pton(AF_INET, address.c_str(), &v4) == 1) {
        return (ntohl(v4.s_addr) >> 24) == 127;
    }
    return ::inet_pton(AF_INET6, address.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6);
}

std::filesystem::path dataDir(std::map<std::string, std::string>& opts) {
    if (opts["data"].empty()) {
        throw std::runtime_error("--data DIR is required");
    }
    std::filesystem::create_directories(opts["data"]);
    return opts["data"];
}

int tlsInit(std::map<std::string, std::string>& opts) {
    const auto dir = dataDir(opts) / "tls";
    std::filesystem::create_directories(dir);
    const auto ca = tls::makeCertificateAuthority("Quorvane local CA", 825);
    const auto server = tls::issueServerCertificate(ca, {"127.0.0.1", "localhost", "::1"}, 825);
    writeFileAtomically(dir / "ca.pem", ca.certificatePem, 0644);
    writeFileAtomically(dir / "ca-key.pem", ca.keyPem, 0600);
    writeFileAtomically(dir / "server.pem", server.certificatePem, 0644);
    writeFileAtomically(dir / "server-key.pem", server.keyPem, 0600);
    std::cout << "wrote " << (dir / "server.pem").string() << "; trust the CA with "
              << "QUORVANE_CA_CERTS=" << (dir / "ca.pem").string() << "\n";
    return 0;
}

int userAdd(std::map<std::string, std::string>& opts, const std::vector<std::string>& args) {
    if (args.size() != 1 || opts["name"].empty()) {
        std::cerr << usage;
        return 2;
    }
    std::string password;
    std::getline(std::cin, password);
    if (password.empty()) {
        std::cerr << "the password (on standard input) must not be empty\n";
        return 2;
    }
    Store store(dataDir(opts) / "backend.sqlite");
    SystemClock clock;
    Authenticator auth(store, clock, {});
    auth.addAccount(args[0], opts["name"], password);
    std::cout << "added " << args[0] << "\n";
    return 0;
}

int exportTraining(std::map<std::string, std::string>& opts) {
    Store store(dataDir(opts) / "backend.sqlite");
    for (const auto& pair : store.trainingPairs()) {
        std::cout << nlohmann::json{{"email", pair.email},
                                    {"question", pair.question},
                                    {"answer", pair.answer},
                                    {"created_at", pair.createdAt}}
                         .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
                  << "\n";
    }
    return 0;
}

std::unique_ptr<Engine> makeEngine(std::map<std::string, std::string>& opts, EventLoop& loop) {
    const std::string name = opts.contains("engine") ? opts["engine"] : "extractive";
    if (name == "extractive") {
        return std::make_unique<ExtractiveEngine>();
    }
    if (name != "openai") {
        throw std::runtime_error("unknown engine " + name);
    }
    if (opts["llm-url"].empty() || opts["llm-model"].empty()) {
        throw std::runtime_error("--engine openai needs --llm-url and --llm-model");
    }
    const char* key = std::getenv("QUORVANE_LLM_API_KEY");
    const char* ca = std::getenv("QUORVANE_CA_CERTS");
    const std::size_t concurrency = count(opts, "llm-concurrency", 64);
    return std::make_unique<OpenAiEngine>(
        loop, OpenAiOptions{opts["llm-url"], opts["llm-model"], key ? key : "",
                            std::chrono::seconds(count(opts, "llm-timeout", 60)), ca ? ca : "",
                            concurrency, count(opts, "llm-queue", 4 * concurrency)});
}

int serve(std::map<std::string, std::string>& opts) {
    const auto dir = dataDir(opts);
    ServerOptions server;
    const HostPort listen =
        hostPort(opts.contains("listen") ? opts["listen"] : "127.0.0.1:8443", "listen");
    server.address = listen.host;
    server.port = listen.port;
    server.certificatePem = readFile(
        opts.contains("tls-cert") ? opts["tls-cert"] : (dir / "tls" / "server.pem").string());
    server.keyPem = readFile(opts.contains("tls-key") ? opts["tls-key"]
                                                      : (dir / "tls" / "server-key.pem").string());
    std::optional<ServerOptions> login;
    if (opts.contains("login-listen")) {
        const HostPort at = hostPort(opts["login-listen"], "login-listen");
        // The page takes passwords over plain HTTP, which only loopback keeps private.
        if (!isLoopback(at.host)) {
            throw std::runtime_error("--login-listen must be a loopback address, such as "
                                     "127.0.0.1:8080");
        }
        login = ServerOptions{};
        login->address = at.host;
        login->port = at.port;
        login->transport = ServerOptions::Transport::Plain;
    }

    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    keepFreedMemoryForRequests();
    EventLoop loop(2);
    Store store(dir / "backend.sqlite");
    SystemClock clock;
    Authenticator auth(store, clock, {});
    const std::unique_ptr<Engine> engine = makeEngine(opts, loop);
    WorkPool workers(std::max(2u, std::thread::hardware_concurrency()), 4096);
    WorkPool hashing(2, 64);
    const auto log = [](const std::string& line) { std::cout << line + "\n" << std::flush; };

    // Both listeners are bound before the router is made, and accept only once it exists.
    HttpsServer https(loop, server, log);
    RouterOptions routing;
    routing.publicUrl = opts.contains("public-url") ? opts["public-url"]
                                                    : "https://" + urlHost(server.address) + ":" +
                                                          std::to_string(https.bind());
    std::optional<HttpsServer> loginServer;
    if (login) {
        loginServer.emplace(loop, *login, log);
        routing.loginUrl =
            "http://" + urlHost(login->address) + ":" + std::to_string(loginServer->bind());
    }
    if (opts.contains("release-version") && opts.contains("release-url")) {
        routing.releaseVersion = opts["release-version"];
        routing.releaseUrl = opts["release-url"];
    }
    Router router(store, auth, *engine, clock, {workers, hashing}, routing, log);
    const auto handler = [&router, &log](Router::Surface surface) {
        return [&router, &log, surface](HttpRequest request, Respond respond) {
            std::string line = request.method + " " + Router::logPath(request.target);
            router.handle(
                std::move(request),
                [respond = std::move(respond), line = std::move(line), &log](HttpResponse r) {
                    log(line + " " + std::to_string(r.status));
                    respond(std::move(r));
                },
                surface);
        };
    };
    https.start(handler(Router::Surface::All));
    if (loginServer) {
        loginServer->start(handler(Router::Surface::LoginPage));
        log("sign-in page on " + *routing.loginUrl);
    }
    log("listening on " + routing.publicUrl);

    int received = 0;
    sigwait(&signals, &received);
    log("stopping");
    if (loginServer) {
        loginServer->stop(stopGrace);
    }
    https.stop(stopGrace);
    loop.stop();
    workers.join();
    hashing.join();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        const std::string command = argc > 1 ? argv[1] : "";
        std::vector<std::string> positional;
        if (command == "serve") {
            auto opts = options(argc, argv, 2, positional);
            return serve(opts);
        }
        if (command == "export-training") {
            auto opts = options(argc, argv, 2, positional);
            return exportTraining(opts);
        }
        if (command == "user" && argc > 2 && std::string(argv[2]) == "add") {
            auto opts = options(argc, argv, 3, positional);
            return userAdd(opts, positional);
        }
        if (command == "tls" && argc > 2 && std::string(argv[2]) == "init") {
            auto opts = options(argc, argv, 3, positional);
            return tlsInit(opts);
        }
        std::cerr << usage;
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "quorvane-backend: " << e.what() << "\n";
        return 1;
    }
}
