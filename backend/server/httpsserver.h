#pragma once

#include "eventloop.h"
#include "httpmessage.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace backend {

/// Limits and TLS material of the server.
struct ServerOptions {
    std::string address = "127.0.0.1";
    std::uint16_t port = 8443;
    /// Plain HTTP serves only the browser's sign-in on loopback; everything else is TLS.
    enum class Transport { Tls, Plain } transport = Transport::Tls;
    std::string certificatePem;
    std::string keyPem;
    /// For a new connection's handshake and first request headers, and for each request body.
    std::chrono::milliseconds readTimeout{15000};
    /// For a kept-alive connection's next request headers.
    std::chrono::milliseconds keepAliveTimeout{10000};
    std::size_t maxConnections = 2048;
    /// Every client behind one address shares this.
    std::size_t maxConnectionsPerAddress = 256;
    std::size_t bodyLimit = 1 << 20;
    /// A body with a length up to `largeBodyLimit`, as a mail with its attachments has, is
    /// read only while all such bodies being read fit in `largeBodyBudget`; past it the request
    /// is answered as busy (503). No body is large unless these are raised. A `LargeBodyCheck`
    /// given to `start` decides first who may send one.
    std::size_t largeBodyLimit = 0;
    std::size_t largeBodyBudget = 0;
    /// Which `Host` and, for requests that change something, `Origin` the listener serves; a
    /// listener that takes passwords from the user's own browser serves only its own.
    enum class Origins { Any, OwnOnly } origins = Origins::Any;
};

/// An HTTP/1.1 server, over TLS unless told otherwise, on a shared event loop. The handler
/// runs on an I/O thread and must not block: it answers through `Respond`, at once or later
/// from any thread. Requests pipelined on a connection reach it one at a time, in order.
class HttpsServer {
public:
    using Handler = std::function<void(HttpRequest, Respond)>;
    /// Asked with a request's head, its body still unread, whether that body may be read as a
    /// large one; a refusal is sent at once and ends the connection. Runs on an I/O thread and
    /// must not block, like the handler.
    using LargeBodyCheck = std::function<void(const HttpRequest& head, Admit)>;
    using Log = std::function<void(const std::string&)>;

    HttpsServer(EventLoop& loop, ServerOptions options, Log log);
    /// Stops with no grace.
    ~HttpsServer();
    HttpsServer(const HttpsServer&) = delete;
    HttpsServer& operator=(const HttpsServer&) = delete;

    /// Binds and listens, but accepts nothing yet; returns the bound port (useful with port 0).
    std::uint16_t bind();
    /// Accepts connections and hands each request to `handler`; without `largeBodies`, any
    /// client may send a large body.
    void start(Handler handler, LargeBodyCheck largeBodies = {});
    /// Stops accepting and reading new requests, waits up to `grace` for the answers in
    /// flight, then closes every connection.
    void stop(std::chrono::milliseconds grace = std::chrono::milliseconds(0));

    struct Impl;

private:
    std::shared_ptr<Impl> impl_;
};

} // namespace backend
