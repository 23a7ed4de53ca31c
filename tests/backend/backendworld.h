#pragma once

#include "authenticator.h"
#include "extractiveengine.h"
#include "httpsserver.h"
#include "loopbackclient.h"
#include "manualclock.h"
#include "router.h"
#include "store.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

/// A backend in a fresh data folder with one account, ann@example.org / "pw", the router's
/// worker pools and, once `serve` is called, an HTTPS listener on 127.0.0.1.
struct BackendWorld {
    explicit BackendWorld(backend::Engine* engineInUse = nullptr,
                          backend::RouterOptions options = {});
    ~BackendWorld();
    BackendWorld(const BackendWorld&) = delete;
    BackendWorld& operator=(const BackendWorld&) = delete;

    /// Routes `request` and waits for its answer.
    backend::HttpResponse call(backend::HttpRequest request,
                               backend::Router::Surface surface = backend::Router::Surface::All);
    /// A fresh token of ann's, through the sign-in that the browser and the extension do.
    [[nodiscard]] std::string signIn();

    /// Options of a listener on 127.0.0.1, any port, with a certificate made for this run that
    /// `caPem` trusts from now on.
    [[nodiscard]] backend::ServerOptions tlsOptions(backend::ServerOptions options = {});
    /// Listens with `handler` (the router's by default); a second call replaces the listener.
    void serve(backend::ServerOptions options = {}, backend::HttpsServer::Handler handler = {});
    [[nodiscard]] std::unique_ptr<LoopbackClient> client() const;
    /// One request on a connection of its own.
    [[nodiscard]] LoopbackClient::Answer send(const std::string& raw) const;

    [[nodiscard]] std::vector<std::string> logLines();
    void logLine(const std::string& line);

    // The loop first, so that it goes last: answers in the pools' queues post to it.
    backend::EventLoop loop{2};
    std::filesystem::path dir;
    ManualClock clock;
    backend::ExtractiveEngine engine;
    std::unique_ptr<backend::Store> store;
    std::unique_ptr<backend::Authenticator> auth;
    std::unique_ptr<backend::Router> router;
    std::unique_ptr<backend::HttpsServer> server;
    std::uint16_t port = 0;
    std::string caPem;
    std::mutex logMutex;
    std::vector<std::string> log;
    // Last, so that their queued work finishes before the router goes.
    backend::WorkPool workers{2, 256};
    backend::WorkPool hashing{1, 8};
};
