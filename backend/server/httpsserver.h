#pragma once

#include "httpmessage.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace backend {

/// Limits and TLS material of the HTTPS server.
struct ServerOptions {
    std::string address = "127.0.0.1";
    std::uint16_t port = 8443;
    std::string certificatePem;
    std::string keyPem;
    std::chrono::seconds readTimeout{15};
    std::chrono::seconds idleTimeout{60};
    std::size_t maxConnections = 2048;
    std::size_t bodyLimit = 1 << 20;
    std::size_t workerThreads = 4;
};

/// An HTTPS/1.1 server that hands each request to `handler` on a worker thread.
class HttpsServer {
public:
    using Handler = std::function<HttpResponse(const HttpRequest&)>;
    using Log = std::function<void(const std::string&)>;

    HttpsServer(ServerOptions options, Handler handler, Log log);
    ~HttpsServer();
    HttpsServer(const HttpsServer&) = delete;
    HttpsServer& operator=(const HttpsServer&) = delete;

    /// Binds and starts serving; returns the bound port (useful with port 0).
    std::uint16_t start();
    /// Stops accepting, closes connections and joins the threads.
    void stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace backend
