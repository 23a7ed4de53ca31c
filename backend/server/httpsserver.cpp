#include "httpsserver.h"

#include "beastnet.h"

#include <atomic>
#include <boost/asio/post.hpp>
#include <boost/asio/strand.hpp>
#include <boost/asio/thread_pool.hpp>
#include <optional>
#include <thread>
#include <vector>

namespace backend {
namespace {

constexpr std::uint32_t headerLimit = 16 * 1024;
// Beast reads as much as the buffer has room for, and at least 512 bytes. Room for one whole
// TLS record lets a 20 KB body arrive in two reads instead of forty.
constexpr std::size_t tlsRecordSize = 16 * 1024;

struct Shared {
    ServerOptions options;
    HttpsServer::Handler handler;
    HttpsServer::Log log;
    asio::thread_pool workers;
    std::atomic<std::size_t> connections{0};

    Shared(ServerOptions o, HttpsServer::Handler h, HttpsServer::Log l)
        : options(std::move(o))
        , handler(std::move(h))
        , log(std::move(l))
        , workers(options.workerThreads) {}
};

class Connection : public std::enable_shared_from_this<Connection> {
public:
    Connection(tcp::socket socket, asio::ssl::context& tls, Shared& shared)
        : stream_(std::move(socket), tls)
        , shared_(shared) {
        ++shared_.connections;
        buffer_.reserve(tlsRecordSize);
    }
    ~Connection() { --shared_.connections; }

    void start() {
        beast::get_lowest_layer(stream_).expires_after(shared_.options.readTimeout);
        stream_.async_handshake(asio::ssl::stream_base::server,
                                [self = shared_from_this()](beast::error_code ec) {
                                    if (!ec) {
                                        self->read();
                                    }
                                });
    }

private:
    void read() {
        parser_.emplace();
        parser_->header_limit(headerLimit);
        parser_->body_limit(shared_.options.bodyLimit);
        buffer_.consume(buffer_.size());
        // The idle deadline covers the wait for a request's first byte; after that the read
        // deadline would be tighter, but one deadline per request keeps this simple and safe.
        beast::get_lowest_layer(stream_).expires_after(keptAlive_ ? shared_.options.idleTimeout
                                                                  : shared_.options.readTimeout);
        http::async_read(
            stream_, buffer_, *parser_,
            [self = shared_from_this()](beast::error_code ec, std::size_t) { self->onRead(ec); });
    }

    void onRead(beast::error_code ec) {
        if (ec == http::error::body_limit) {
            reply(errorResponse(413, "request body too large"), Close::AfterDrain);
            return;
        }
        if (ec == http::error::header_limit) {
            reply(errorResponse(431, "request headers too large"), Close::AfterDrain);
            return;
        }
        if (ec == http::error::end_of_stream || ec == beast::error::timeout ||
            ec == asio::ssl::error::stream_truncated || ec == asio::error::eof ||
            ec == asio::error::connection_reset || ec == asio::error::operation_aborted) {
            return close();
        }
        if (ec) {
            reply(errorResponse(400, "malformed request"), Close::AfterDrain);
            return;
        }
        auto message = parser_->release();
        HttpRequest request;
        request.method = std::string(message.method_string());
        request.target = std::string(message.target());
        for (const auto& field : message) {
            std::string name(field.name_string());
            for (char& c : name) {
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            request.headers[name] = std::string(field.value());
        }
        request.body = std::move(message.body());
        const Close close = message.keep_alive() ? Close::No : Close::Yes;
        asio::post(shared_.workers,
                   [self = shared_from_this(), request = std::move(request), close]() mutable {
                       HttpResponse response;
                       try {
                           response = self->shared_.handler(request);
                       } catch (const std::exception& e) {
                           self->shared_.log(std::string("internal error: ") + e.what());
                           response = errorResponse(500, "internal error");
                       }
                       asio::post(self->stream_.get_executor(),
                                  [self, response = std::move(response), close]() mutable {
                                      self->reply(std::move(response), close);
                                  });
                   });
    }

    enum class Close { No, Yes, AfterDrain };

    static HttpResponse errorResponse(int status, const std::string& message) {
        return {status, "application/json", "{\"error\":\"" + message + "\"}", {}};
    }

    void reply(HttpResponse response, Close close) {
        auto message = std::make_shared<http::response<http::string_body>>();
        message->version(11);
        message->result(static_cast<unsigned>(response.status));
        message->set(http::field::server, "quorvane-backend");
        message->set(http::field::content_type, response.contentType);
        for (const auto& [name, value] : response.headers) {
            message->set(name, value);
        }
        message->body() = std::move(response.body);
        message->keep_alive(close == Close::No);
        message->prepare_payload();
        beast::get_lowest_layer(stream_).expires_after(shared_.options.readTimeout);
        http::async_write(
            stream_, *message,
            [self = shared_from_this(), message, close](beast::error_code ec, std::size_t) {
                if (ec || close == Close::Yes) {
                    return self->close();
                }
                self->keptAlive_ = true;
                self->read();
            });
    }

    // Closing a socket with unread input resets the connection, and the client may lose the
    // error answer it has not read yet; so the rest of a refused request is read and dropped,
    // bounded in time and size.
    void drain(std::size_t drained) {
        if (drained == 0) {
            beast::get_lowest_layer(stream_).expires_after(std::chrono::seconds(1));
        }
        if (drained > 4 * shared_.options.bodyLimit) {
            return close();
        }
        buffer_.consume(buffer_.size());
        stream_.async_read_some(
            buffer_.prepare(tlsRecordSize),
            [self = shared_from_this(), drained](beast::error_code ec, std::size_t n) {
                if (ec) {
                    beast::error_code ignored;
                    beast::get_lowest_layer(self->stream_).socket().close(ignored);
                    return;
                }
                self->drain(drained + n);
            });
    }

    void close() {
        beast::get_lowest_layer(stream_).expires_after(std::chrono::seconds(2));
        stream_.async_shutdown([self = shared_from_this()](beast::error_code) {
            beast::error_code ignored;
            beast::get_lowest_layer(self->stream_).socket().close(ignored);
        });
    }

    beast::ssl_stream<beast::tcp_stream> stream_;
    Shared& shared_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    bool keptAlive_ = false;
};

} // namespace

struct HttpsServer::Impl {
    Shared shared;
    asio::io_context io;
    asio::ssl::context tls{asio::ssl::context::tls_server};
    tcp::acceptor acceptor{asio::make_strand(io)};
    std::vector<std::thread> threads;

    Impl(ServerOptions options, Handler handler, Log log)
        : shared(std::move(options), std::move(handler), std::move(log)) {}

    void accept() {
        acceptor.async_accept(
            asio::make_strand(io), [this](beast::error_code ec, tcp::socket socket) {
                if (ec == asio::error::operation_aborted) {
                    return;
                }
                if (!ec) {
                    if (shared.connections.load() >= shared.options.maxConnections) {
                        beast::error_code ignored;
                        socket.close(ignored);
                    } else {
                        socket.set_option(tcp::no_delay(true), ec);
                        std::make_shared<Connection>(std::move(socket), tls, shared)->start();
                    }
                }
                accept();
            });
    }
};

HttpsServer::HttpsServer(ServerOptions options, Handler handler, Log log)
    : impl_(std::make_unique<Impl>(std::move(options), std::move(handler), std::move(log))) {}

HttpsServer::~HttpsServer() {
    stop();
}

std::uint16_t HttpsServer::start() {
    auto& tls = impl_->tls;
    tls.set_options(asio::ssl::context::default_workarounds | asio::ssl::context::no_sslv2 |
                    asio::ssl::context::no_sslv3 | asio::ssl::context::no_tlsv1 |
                    asio::ssl::context::no_tlsv1_1);
    tls.use_certificate_chain(asio::buffer(impl_->shared.options.certificatePem));
    tls.use_private_key(asio::buffer(impl_->shared.options.keyPem), asio::ssl::context::pem);
    const tcp::endpoint endpoint(asio::ip::make_address(impl_->shared.options.address),
                                 impl_->shared.options.port);
    auto& acceptor = impl_->acceptor;
    acceptor.open(endpoint.protocol());
    acceptor.set_option(asio::socket_base::reuse_address(true));
    acceptor.bind(endpoint);
    acceptor.listen(asio::socket_base::max_listen_connections);
    impl_->accept();
    for (int i = 0; i < 2; ++i) {
        impl_->threads.emplace_back([this] { impl_->io.run(); });
    }
    return acceptor.local_endpoint().port();
}

void HttpsServer::stop() {
    if (impl_->threads.empty()) {
        return;
    }
    asio::post(impl_->acceptor.get_executor(), [this] {
        beast::error_code ignored;
        impl_->acceptor.close(ignored);
    });
    impl_->io.stop();
    for (auto& thread : impl_->threads) {
        thread.join();
    }
    impl_->threads.clear();
    impl_->shared.workers.join();
}

} // namespace backend
