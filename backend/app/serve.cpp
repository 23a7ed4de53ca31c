#include "serve.h"

#include "allocator.h"
#include "authenticator.h"
#include "extractiveengine.h"
#include "httpsserver.h"
#include "openaiengine.h"
#include "openstore.h"
#include "privatefile.h"
#include "router.h"
#include "secretmemory.h"

#include <algorithm>
#include <boost/system/system_error.hpp>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <limits>
#include <thread>

namespace backend {
namespace {

// Answers in flight when SIGTERM arrives get this long to be written.
constexpr std::chrono::milliseconds stopGrace{10000};

// Missing on a first run, so the line says what makes one.
std::string serverCertificate(const std::filesystem::path& data) {
    const auto path = data / "tls" / "server.pem";
    if (!std::filesystem::exists(path)) {
        throw std::runtime_error("cannot read " + path.string() +
                                 "; quorvane-backend tls init --data " + data.string() +
                                 " or serve --tls-init-if-missing makes one");
    }
    return readWholeFile(path);
}

// Where the listener's certificate and key are read from, for errors that concern them.
struct TlsFiles {
    std::filesystem::path certificate;
    std::filesystem::path key;
};

// Boost's own text names the call and its source line, not the address or files asked for.
std::uint16_t listenOn(HttpsServer& server, const std::string& address, std::uint16_t port,
                       const TlsFiles* tls = nullptr) {
    try {
        return server.bind();
    } catch (const boost::system::system_error& e) {
        if (e.code().category() == boost::system::system_category()) {
            const std::string host =
                address.find(':') == std::string::npos ? address : "[" + address + "]";
            throw std::runtime_error("cannot listen on " + host + ":" + std::to_string(port) +
                                     ": " + e.code().message());
        }
        if (tls == nullptr) {
            throw;
        }
        throw std::runtime_error("cannot serve TLS with the certificate " +
                                 tls->certificate.string() + " and the key " + tls->key.string() +
                                 ": " + e.code().message());
    }
}

struct Engines {
    ExtractiveEngine extractive;
    std::unique_ptr<OpenAiEngine> openai;

    [[nodiscard]] Engine& inUse() {
        return openai ? static_cast<Engine&>(*openai) : static_cast<Engine&>(extractive);
    }
};

void makeEngine(Engines& engines, const ServeSettings& settings, const std::string& key,
                EventLoop& loop, OpenAiServices services) {
    if (settings.engine == "extractive") {
        return;
    }
    if (settings.engine != "openai") {
        throw std::runtime_error("unknown engine " + settings.engine);
    }
    if (settings.llmUrl.empty() || settings.llmModel.empty()) {
        throw std::runtime_error("--engine openai needs --llm-url and --llm-model");
    }
    const char* ca = std::getenv("QUORVANE_CA_CERTS");
    OpenAiOptions options;
    options.url = settings.llmUrl;
    options.model = settings.llmModel;
    options.summaryModel = settings.llmModelSummary;
    options.replyModel = settings.llmModelReply;
    options.chatModel = settings.llmModelChat;
    options.temperature = settings.llmTemperature;
    options.maxTokens = settings.llmMaxTokens;
    options.apiKey = key;
    options.timeout = std::chrono::seconds(settings.llmTimeoutSeconds);
    options.maxInputCharacters = static_cast<std::size_t>(settings.llmMaxInputChars);
    options.caFile = ca ? ca : "";
    options.concurrency = static_cast<std::size_t>(settings.llmConcurrency);
    options.queueLimit =
        static_cast<std::size_t>(settings.llmQueue.value_or(4 * settings.llmConcurrency));
    options.allowHttp = settings.llmAllowHttp;
    if (settings.fallback == "extractive") {
        services.fallback = &engines.extractive;
    }
    engines.openai = std::make_unique<OpenAiEngine>(loop, options, std::move(services));
}

} // namespace

int serve(const StoreLocation& location, const ServeSettings& settings) {
    const std::filesystem::path& data = location.dataFolder;
    ServerOptions server;
    server.address = settings.listen.address;
    server.port = settings.listen.port;
    const TlsFiles tls{settings.tlsCert.value_or(data / "tls" / "server.pem"),
                       settings.tlsKey.value_or(data / "tls" / "server-key.pem")};
    server.certificatePem =
        settings.tlsCert ? readWholeFile(tls.certificate) : serverCertificate(data);
    server.keyPem = readWholeFile(tls.key);
    server.maxConnectionsPerAddress = static_cast<std::size_t>(settings.connectionsPerAddress);
    server.keepAliveTimeout = std::chrono::seconds(settings.keepAliveSeconds);
    // A mail's body comes with its attachments: 25 MB of files, base64-encoded and in JSON,
    // take some 35 MB.
    server.largeBodyLimit = std::size_t{40} << 20;
    server.largeBodyBudget = std::size_t{256} << 20;
    // One without the other offers nothing, which an operator would not see.
    if (settings.releaseVersion.has_value() != settings.releaseUrl.has_value()) {
        throw std::runtime_error(
            "--release-version and --release-url go together: give both to offer an update");
    }
    std::optional<ServerOptions> login;
    if (settings.loginListen) {
        // The page takes passwords over plain HTTP, which only loopback keeps private.
        if (!isLoopback(settings.loginListen->address)) {
            throw std::runtime_error("--login-listen must be a loopback address, such as "
                                     "127.0.0.1:8080");
        }
        login = ServerOptions{};
        login->address = settings.loginListen->address;
        login->port = settings.loginListen->port;
        login->transport = ServerOptions::Transport::Plain;
        login->origins = ServerOptions::Origins::OwnOnly;
        login->maxConnectionsPerAddress = server.maxConnectionsPerAddress;
        login->keepAliveTimeout = server.keepAliveTimeout;
    }

    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    keepFreedMemoryForRequests();
    EventLoop loop(2);
    const std::unique_ptr<Store> store = openStore(location);
    SystemClock clock;
    Authenticator auth(*store, clock, {}, settings.tokenDays * Authenticator::day);
    WorkPool workers(std::max(2u, std::thread::hardware_concurrency()), 4096);
    // A person waits on one password check at a time; four an address leave room for a few
    // people behind one address.
    FairWorkPool hashing(2, 64, 4);
    const auto log = [](const std::string& line) { std::cout << line + "\n" << std::flush; };
    // Read even when no engine uses it, so that it leaves the environment either way.
    const std::string key = takeEnvironmentVariable("QUORVANE_LLM_API_KEY");
    Engines engines;
    // The fallback's CPU work goes to the workers, off the I/O thread where a model call ends.
    makeEngine(engines, settings, key, loop, {log, nullptr, [&workers](std::function<void()> work) {
                                                  workers.post(std::move(work));
                                              }});

    // Both listeners are bound before the router is made, and accept only once it exists.
    HttpsServer https(loop, server, log);
    RouterOptions routing;
    routing.sessionsPerMinute = static_cast<std::size_t>(settings.sessionsPerMinute);
    routing.storedBytesPerDay =
        std::min(settings.storedMbPerDay, std::numeric_limits<std::int64_t>::max() >> 20) << 20;
    const std::uint16_t port = listenOn(https, server.address, server.port, &tls);
    const std::string listening = originUrl("https", {settings.listen.address, port});
    routing.publicUrl = settings.publicUrl.value_or(listening);
    std::optional<HttpsServer> loginServer;
    if (login) {
        loginServer.emplace(loop, *login, log);
        routing.loginUrl = originUrl(
            "http", {login->address, listenOn(*loginServer, login->address, login->port)});
    }
    routing.releaseVersion = settings.releaseVersion;
    routing.releaseUrl = settings.releaseUrl;
    Router router(*store, auth, engines.inUse(), clock, {workers, hashing}, routing, log);
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
    https.start(handler(Router::Surface::All), [&router](const HttpRequest& head, Admit admit) {
        router.admitLargeBody(head, std::move(admit));
    });
    if (loginServer) {
        loginServer->start(handler(Router::Surface::LoginPage));
        log("sign-in page on " + *routing.loginUrl);
    }
    // The address bound, with the port a :0 listener was given; clients may know it by another.
    log("listening on " + listening);
    if (settings.publicUrl) {
        log("clients reach it at " + *settings.publicUrl);
    }

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

} // namespace backend
