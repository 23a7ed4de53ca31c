#include "authenticator.h"
#include "certificateauthority.h"
#include "extractiveengine.h"
#include "httpsserver.h"
#include "openaiengine.h"
#include "router.h"
#include "store.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <sys/stat.h>

namespace {

using namespace backend;

const char* usage =
    "usage: quorvane-backend serve [--listen HOST:PORT] --data DIR [--tls-cert F --tls-key F]\n"
    "                              [--public-url URL] [--release-version V --release-url URL]\n"
    "                              [--engine extractive|openai --llm-url URL --llm-model NAME\n"
    "                               --llm-timeout SECONDS]   (key in QUORVANE_LLM_API_KEY)\n"
    "       quorvane-backend user add EMAIL --name NAME --data DIR   (password on stdin)\n"
    "       quorvane-backend export-training --data DIR               (JSONL on stdout)\n"
    "       quorvane-backend tls init --data DIR\n";

std::map<std::string, std::string> options(int argc, char** argv, int from,
                                           std::vector<std::string>& positional) {
    std::map<std::string, std::string> result;
    for (int i = from; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--", 0) == 0 && i + 1 < argc) {
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

void writeFile(const std::filesystem::path& path, const std::string& text, mode_t mode) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
    ::chmod(path.c_str(), mode);
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
    writeFile(dir / "ca.pem", ca.certificatePem, 0644);
    writeFile(dir / "ca-key.pem", ca.keyPem, 0600);
    writeFile(dir / "server.pem", server.certificatePem, 0644);
    writeFile(dir / "server-key.pem", server.keyPem, 0600);
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

int serve(std::map<std::string, std::string>& opts) {
    const auto dir = dataDir(opts);
    ServerOptions server;
    const std::string listen = opts.contains("listen") ? opts["listen"] : "127.0.0.1:8443";
    const std::size_t colon = listen.rfind(':');
    if (colon == std::string::npos) {
        throw std::runtime_error("--listen must be HOST:PORT");
    }
    server.address = listen.substr(0, colon);
    if (server.address.size() > 2 && server.address.front() == '[') {
        server.address = server.address.substr(1, server.address.size() - 2);
    }
    server.port = static_cast<std::uint16_t>(std::stoi(listen.substr(colon + 1)));
    server.certificatePem = readFile(
        opts.contains("tls-cert") ? opts["tls-cert"] : (dir / "tls" / "server.pem").string());
    server.keyPem = readFile(opts.contains("tls-key") ? opts["tls-key"]
                                                      : (dir / "tls" / "server-key.pem").string());

    Store store(dir / "backend.sqlite");
    SystemClock clock;
    Authenticator auth(store, clock, {});
    std::unique_ptr<Engine> engine;
    const std::string engineName = opts.contains("engine") ? opts["engine"] : "extractive";
    if (engineName == "openai") {
        if (opts["llm-url"].empty() || opts["llm-model"].empty()) {
            throw std::runtime_error("--engine openai needs --llm-url and --llm-model");
        }
        const char* key = std::getenv("QUORVANE_LLM_API_KEY");
        const char* ca = std::getenv("QUORVANE_CA_CERTS");
        const int timeout = opts.contains("llm-timeout") ? std::stoi(opts["llm-timeout"]) : 60;
        engine = std::make_unique<OpenAiEngine>(
            OpenAiOptions{opts["llm-url"], opts["llm-model"], key ? key : "",
                          std::chrono::seconds(timeout), ca ? ca : ""});
    } else if (engineName == "extractive") {
        engine = std::make_unique<ExtractiveEngine>();
    } else {
        throw std::runtime_error("unknown engine " + engineName);
    }
    RouterOptions routing;
    if (opts.contains("release-version") && opts.contains("release-url")) {
        routing.releaseVersion = opts["release-version"];
        routing.releaseUrl = opts["release-url"];
    }

    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    std::unique_ptr<Router> router;
    HttpsServer https(
        server,
        [&router](const HttpRequest& request) {
            auto response = router->handle(request);
            std::cout << request.method + " " + Router::logPath(request.target) + " " +
                             std::to_string(response.status) + "\n"
                      << std::flush;
            return response;
        },
        [](const std::string& line) { std::cout << line + "\n"
                                                << std::flush; });
    const std::uint16_t port = https.start();
    const std::string host =
        server.address.find(':') != std::string::npos ? "[" + server.address + "]" : server.address;
    routing.publicUrl = opts.contains("public-url")
                            ? opts["public-url"]
                            : "https://" + host + ":" + std::to_string(port);
    router = std::make_unique<Router>(store, auth, *engine, clock, routing);
    std::cout << "listening on " << routing.publicUrl << "\n" << std::flush;

    int received = 0;
    sigwait(&signals, &received);
    std::cout << "stopping\n" << std::flush;
    https.stop();
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
