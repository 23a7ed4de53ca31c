#include "backendworld.h"

#include "certificateauthority.h"

#include <future>
#include <nlohmann/json.hpp>
#include <unistd.h>

using namespace backend;

namespace {

std::filesystem::path freshFolder() {
    static int made = 0;
    auto dir = std::filesystem::temp_directory_path() /
               ("qv-backend-" + std::to_string(::getpid()) + "-" + std::to_string(made++));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

} // namespace

BackendWorld::BackendWorld(Engine* engineInUse, RouterOptions options)
    : dir(freshFolder()) {
    store = std::make_unique<Store>(dir / "backend.sqlite");
    // A cheap scrypt cost: the tests sign in many times.
    auth = std::make_unique<Authenticator>(*store, clock, secrets::ScryptCost{1024, 8, 1});
    auth->addAccount("ann@example.org", "Ann Lee", "pw");
    router = std::make_unique<Router>(*store, *auth, engineInUse ? *engineInUse : engine, clock,
                                      RouterThreads{workers, hashing}, std::move(options),
                                      [this](const std::string& line) { logLine(line); });
}

BackendWorld::~BackendWorld() {
    if (server) {
        server->stop();
    }
    workers.join();
    hashing.join();
    std::filesystem::remove_all(dir);
}

HttpResponse BackendWorld::call(HttpRequest request, Router::Surface surface) {
    auto answer = std::make_shared<std::promise<HttpResponse>>();
    router->handle(
        std::move(request), [answer](HttpResponse r) { answer->set_value(std::move(r)); }, surface);
    return answer->get_future().get();
}

std::string BackendWorld::signIn() {
    const std::string id = nlohmann::json::parse(
        call({"GET", "/plugin-auth/session-request/", {}, "", ""}).body)["id"];
    if (auth->login(id, "ann@example.org", "pw", "") != Authenticator::LoginResult::SignedIn) {
        return "";
    }
    return auth->poll(id).token;
}

ServerOptions BackendWorld::tlsOptions(ServerOptions options) {
    const auto ca = tls::makeCertificateAuthority("test CA", 1);
    const auto certificate = tls::issueServerCertificate(ca, {"127.0.0.1"}, 1);
    caPem = ca.certificatePem;
    options.port = 0;
    options.certificatePem = certificate.certificatePem;
    options.keyPem = certificate.keyPem;
    return options;
}

void BackendWorld::serve(ServerOptions options, HttpsServer::Handler handler) {
    if (server) {
        server->stop();
    }
    server = std::make_unique<HttpsServer>(loop, tlsOptions(std::move(options)),
                                           [this](const std::string& line) { logLine(line); });
    port = server->bind();
    if (!handler) {
        handler = [this](HttpRequest request, Respond respond) {
            router->handle(std::move(request), std::move(respond));
        };
    }
    server->start(std::move(handler));
}

std::unique_ptr<LoopbackClient> BackendWorld::client() const {
    return std::make_unique<LoopbackClient>(port, caPem);
}

LoopbackClient::Answer BackendWorld::send(const std::string& raw) const {
    return client()->send(raw);
}

std::vector<std::string> BackendWorld::logLines() {
    const std::lock_guard lock(logMutex);
    return log;
}

void BackendWorld::logLine(const std::string& line) {
    const std::lock_guard lock(logMutex);
    log.push_back(line);
}
