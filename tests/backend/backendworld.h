#pragma once

#include "authenticator.h"
#include "certificateauthority.h"
#include "extractiveengine.h"
#include "httpsserver.h"
#include "openstore.h"
#include "postgresdatabase.h"
#include "router.h"
#include "sqlitedatabase.h"
#include "testdatabase.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

/// A keep-alive HTTPS connection to 127.0.0.1 that trusts one CA, for tests and benchmarks.
class LoopbackClient {
public:
    struct Answer {
        int status = 0;
        std::string body;
        /// Names in lower case.
        std::map<std::string, std::string> headers;
    };

    /// Connects from `from`, any address in 127.0.0.0/8, as a client elsewhere would.
    LoopbackClient(std::uint16_t port, const std::string& caPem,
                   const std::string& from = "127.0.0.1");
    ~LoopbackClient();

    /// Writes raw request bytes and reads one answer; status 0 when the server closed or failed.
    [[nodiscard]] Answer send(const std::string& raw) { return write(raw) ? receive() : Answer{}; }
    /// Sends a request that keeps the connection open and reads its answer.
    [[nodiscard]] Answer ask(const std::string& method, const std::string& target,
                             const std::string& body = "", const std::string& token = "") {
        return send(request(method, target, body, token, Connection::KeepAlive));
    }
    [[nodiscard]] bool write(const std::string& bytes);
    [[nodiscard]] Answer receive();
    [[nodiscard]] bool closed() const;

    enum class Connection { KeepAlive, Close };
    [[nodiscard]] static std::string request(const std::string& method, const std::string& target,
                                             const std::string& body = "",
                                             const std::string& token = "",
                                             Connection connection = Connection::Close);

private:
    struct Stream;
    std::unique_ptr<Stream> stream_;
};

/// A server on loopback as its clients reach it: one connection a request, from `from`.
struct Endpoint {
    [[nodiscard]] LoopbackClient client(const std::string& from = "127.0.0.1") const {
        return {port, caPem, from};
    }
    [[nodiscard]] LoopbackClient::Answer send(const std::string& method, const std::string& target,
                                              const std::string& body = "",
                                              const std::string& token = "",
                                              const std::string& from = "127.0.0.1") const {
        return client(from).send(LoopbackClient::request(method, target, body, token));
    }

    /// A new sign-in session: the id its client polls with and the code of its login link;
    /// empty when refused.
    struct Session {
        std::string id;
        std::string code;
    };
    [[nodiscard]] Session startSession(const std::string& from = "127.0.0.1") const;
    /// Posts the login form, `email` and `password` escaped as a form carries them: its status.
    [[nodiscard]] int login(const std::string& code, const std::string& email,
                            const std::string& password,
                            const std::string& from = "127.0.0.1") const;
    /// The token a poll of session `id` collects, or "".
    [[nodiscard]] std::string collect(const std::string& id) const {
        return tokenIn(send("GET", sessions + id));
    }
    [[nodiscard]] static std::string tokenIn(const LoopbackClient::Answer& poll);
    static constexpr const char* sessions = "/plugin-auth/session-request/";
    /// The address `token` signs in as, or the status that refused it.
    [[nodiscard]] std::string me(const std::string& token) const;

    std::uint16_t port = 0;
    std::string caPem;
};

/// Connections that each send one byte of a TLS ClientHello now and then, as a slow or hostile
/// client does, so that their handshakes never finish within a server's deadline.
class SlowClients {
public:
    SlowClients(std::uint16_t port, int count);
    SlowClients(const SlowClients&) = delete;
    ~SlowClients();
    /// Sends the next byte on every connection the server has not closed; returns how many
    /// are still open.
    int trickle();

private:
    std::vector<int> fds_;
    std::size_t sent_ = 0;
};

/// A mail of about `bytes` bytes whose sentences the extractive engine ranks, for loads.
[[nodiscard]] std::string mailOfSize(std::size_t bytes);

/// Raises the limit on open files to `wanted` when the hard limit allows; false otherwise.
[[nodiscard]] bool enoughDescriptors(std::size_t wanted);

/// Adds ann, `password` hashed at a cheap cost, to the PostgreSQL database at `url`: a token of
/// hers that any instance on it accepts.
std::string addAnn(const std::string& url, const std::string& password);

/// A clock that tests move by hand.
class ManualClock final : public backend::Clock {
public:
    [[nodiscard]] std::int64_t now() const override { return now_; }
    void advance(std::int64_t seconds) { now_ += seconds; }

private:
    std::int64_t now_ = 1'700'000'000;
};

/// The stores a backend keeps its data in; tests of the store run over both.
enum class StoreKind { Sqlite, Postgresql };

/// A backend in a fresh data folder, or a fresh database, with one account, ann@example.org /
/// "pw", the router's worker pools and, once `serve` is called, an HTTPS listener on 127.0.0.1.
struct BackendWorld : Endpoint {
    /// On PostgreSQL, in a database made for it unless `postgresUrl` names one, which several
    /// worlds may share.
    explicit BackendWorld(backend::Engine* engineInUse = nullptr,
                          StoreKind kind = StoreKind::Sqlite, std::string postgresUrl = "") {
        std::string folder = std::filesystem::temp_directory_path() / "qv-backend-XXXXXX";
        dir = ::mkdtemp(folder.data());
        location.dataFolder = dir;
        if (kind == StoreKind::Postgresql && postgresUrl.empty()) {
            postgresUrl = database.emplace().url();
        }
        location.postgresUrl = postgresUrl;
        routedEngine = engineInUse ? engineInUse : &engine;
        useStore(backend::openStore(location));
        if (!store->account("ann@example.org")) {
            auth->addAccount("ann@example.org", "Ann Lee", "pw");
        }
    }
    ~BackendWorld() {
        server.reset();
        workers.join();
        hashing.join();
        std::filesystem::remove_all(dir);
    }

    /// Serves from `opened` from now on, as a backend started again on it would.
    void useStore(std::unique_ptr<backend::Store> opened) {
        router.reset();
        auth.reset();
        store = std::move(opened);
        // A cheap scrypt cost: the tests sign in many times.
        auth = std::make_unique<backend::Authenticator>(*store, clock, cost);
        router = std::make_unique<backend::Router>(*store, *auth, *routedEngine, clock,
                                                   backend::RouterThreads{workers, hashing},
                                                   backend::RouterOptions{}, logLine);
    }

    /// What the store lists, read `pageRows` at a time.
    [[nodiscard]] std::vector<backend::TokenRecord>
    storedTokens(std::size_t pageRows = backend::Store::tokenPageRows) const {
        std::vector<backend::TokenRecord> tokens;
        store->forEachToken([&tokens](const auto& token) { tokens.push_back(token); }, pageRows);
        return tokens;
    }
    [[nodiscard]] std::vector<backend::TrainingPair>
    storedTrainingPairs(std::size_t pageRows = backend::Store::trainingPairPageRows) const {
        std::vector<backend::TrainingPair> pairs;
        store->forEachTrainingPair([&pairs](const auto& pair) { pairs.push_back(pair); }, pageRows);
        return pairs;
    }

    /// Runs statements that take no parameters on the store, behind its back.
    void execBehindTheStore(const std::string& sql) const {
        if (!location.postgresUrl.empty()) {
            return pg::Connection(location.postgresUrl).exec(sql);
        }
        sqlite::Database(dir / "backend.sqlite").exec(sql);
    }

    /// Routes `request` and waits for its answer.
    backend::HttpResponse call(backend::HttpRequest request) {
        auto answer = std::make_shared<std::promise<backend::HttpResponse>>();
        router->handle(std::move(request),
                       [answer](backend::HttpResponse r) { answer->set_value(std::move(r)); });
        return answer->get_future().get();
    }

    /// A fresh token of ann's.
    [[nodiscard]] std::string signIn() {
        const auto session = auth->createSession();
        (void)auth->login(session.loginCode, "ann@example.org", "pw", "");
        return auth->poll(session.id).token;
    }

    /// Listens on 127.0.0.1, any port, with a certificate made for this run that `caPem`
    /// trusts; `handler` is the router's by default, and then so is the check of who may send
    /// a large body. A second call replaces the listener.
    void serve(backend::ServerOptions options = {}, backend::HttpsServer::Handler handler = {}) {
        const auto ca = tls::makeCertificateAuthority("test CA", 1);
        const auto certificate = tls::issueServerCertificate(ca, {"127.0.0.1"}, 1);
        caPem = ca.certificatePem;
        options.port = 0;
        options.certificatePem = certificate.certificatePem;
        options.keyPem = certificate.keyPem;
        server = std::make_unique<backend::HttpsServer>(loop, options, logLine);
        port = server->bind();
        backend::HttpsServer::LargeBodyCheck largeBodies;
        if (!handler) {
            handler = [this](backend::HttpRequest r, backend::Respond done) {
                router->handle(std::move(r), std::move(done));
            };
            largeBodies = [this](const backend::HttpRequest& head, backend::Admit admit) {
                router->admitLargeBody(head, std::move(admit));
            };
        }
        server->start(std::move(handler), std::move(largeBodies));
    }

    [[nodiscard]] std::vector<std::string> logLines() {
        const std::lock_guard lock(logMutex);
        return log;
    }

    // The loop first, so that it goes last: answers in the pools' queues post to it.
    backend::EventLoop loop{2};
    std::filesystem::path dir;
    std::optional<TestDatabase> database;
    backend::StoreLocation location;
    ManualClock clock;
    backend::secrets::ScryptCost cost{1024, 8, 1};
    backend::ExtractiveEngine engine;
    backend::Engine* routedEngine = nullptr;
    std::mutex logMutex;
    std::vector<std::string> log;
    const backend::Router::Log logLine = [this](const std::string& line) {
        const std::lock_guard lock(logMutex);
        log.push_back(line);
    };
    std::unique_ptr<backend::Store> store;
    std::unique_ptr<backend::Authenticator> auth;
    std::unique_ptr<backend::Router> router;
    std::unique_ptr<backend::HttpsServer> server;
    // Last, so that their queued work finishes before the router goes.
    backend::WorkPool workers{2, 256};
    backend::FairWorkPool hashing{1, 8, 4};
};
