#include "httpsserver.h"

#include "addressblock.h"
#include "beastnet.h"
#include "ownorigin.h"

#include <algorithm>
#include <atomic>
#include <boost/asio/post.hpp>
#include <boost/asio/strand.hpp>
#include <map>
#include <mutex>
#include <openssl/crypto.h>
#include <openssl/ssl.h>
#include <optional>
#include <thread>
#include <unordered_map>
#include <utility>

namespace backend {
namespace {

constexpr std::uint32_t headerLimit = 16 * 1024;
// Beast reads as much as the buffer has room for, and at least 512 bytes. Room for one whole
// TLS record lets a 20 KB body arrive in two reads instead of forty.
constexpr std::size_t tlsRecordSize = std::size_t{16} * 1024;
// A large body may take longer than a request's read timeout: it must arrive at this many
// bytes a second, a slow uplink's rate, on top of it.
constexpr std::size_t slowestUpload = std::size_t{256} * 1024;
// How long the rest of a refused request is read and dropped before the connection closes.
constexpr std::chrono::milliseconds drainTime{1000};
// TLS 1.3 offers only suites like these; for TLS 1.2, ephemeral keys and authenticated
// encryption, for ECDSA and RSA certificates.
constexpr const char* tls12Ciphers = "ECDHE-ECDSA-AES128-GCM-SHA256:ECDHE-RSA-AES128-GCM-SHA256:"
                                     "ECDHE-ECDSA-AES256-GCM-SHA384:ECDHE-RSA-AES256-GCM-SHA384:"
                                     "ECDHE-ECDSA-CHACHA20-POLY1305:ECDHE-RSA-CHACHA20-POLY1305";

HttpResponse errorResponse(int status, const std::string& message) {
    return {status, "application/json", "{\"error\":\"" + message + "\"}", {}};
}

// The request as the handler sees it, but for its body.
HttpRequest headOf(const http::request_header<>& header, const std::string& clientAddress) {
    HttpRequest request;
    request.method = std::string(header.method_string());
    request.target = std::string(header.target());
    for (const auto& field : header) {
        std::string name(field.name_string());
        for (char& c : name) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        request.headers[name] = std::string(field.value());
    }
    request.clientAddress = clientAddress;
    return request;
}

class ConnectionBase {
public:
    virtual ~ConnectionBase() = default;
    virtual void closeNow() = 0;
};

} // namespace

struct HttpsServer::Impl : std::enable_shared_from_this<HttpsServer::Impl> {
    EventLoop& loop;
    ServerOptions options;
    Log log;
    Handler handler;
    LargeBodyCheck largeBodyCheck;
    asio::ssl::context tls{asio::ssl::context::tls_server};
    tcp::acceptor acceptor;
    std::optional<OwnOrigin> ownOrigin;
    std::atomic<bool> stopping = false;
    std::atomic<std::size_t> inFlight = 0;
    std::mutex mutex;
    std::map<ConnectionBase*, std::weak_ptr<ConnectionBase>> open;
    std::size_t connections = 0;
    // Keyed by address block, so that an IPv6 client cannot pass its cap by rotating addresses.
    std::unordered_map<std::string, std::size_t> connectionsPerAddress;
    std::size_t largeBodiesBeingRead = 0;

    Impl(EventLoop& l, ServerOptions o, Log lg)
        : loop(l)
        , options(std::move(o))
        , log(std::move(lg))
        , acceptor(asio::make_strand(loop.context())) {}

    void accept();

    // Counts a connection from `address` unless that would pass a cap.
    bool admit(const std::string& address) {
        const std::string block = addressBlock(address);
        const std::lock_guard lock(mutex);
        std::size_t& fromAddress = connectionsPerAddress[block];
        if (connections >= options.maxConnections ||
            fromAddress >= options.maxConnectionsPerAddress) {
            if (fromAddress == 0) {
                connectionsPerAddress.erase(block);
            }
            return false;
        }
        ++connections;
        ++fromAddress;
        return true;
    }

    // Counts `bytes` of a large body against the budget unless that would pass it.
    bool reserveLargeBody(std::size_t bytes) {
        const std::lock_guard lock(mutex);
        if (largeBodiesBeingRead + bytes > options.largeBodyBudget) {
            return false;
        }
        largeBodiesBeingRead += bytes;
        return true;
    }

    // Nothing the app's callables throw may end the process or leave the client without an
    // answer; false when `call` threw.
    bool callSafely(const std::function<void()>& call) {
        try {
            call();
            return true;
        } catch (const std::exception& e) {
            log(std::string("internal error: ") + e.what());
        } catch (...) {
            log("internal error: an exception of unknown type");
        }
        return false;
    }

    void releaseLargeBody(std::size_t bytes) {
        const std::lock_guard lock(mutex);
        largeBodiesBeingRead -= bytes;
    }

    void release(ConnectionBase* connection, const std::string& address) {
        const std::string block = addressBlock(address);
        const std::lock_guard lock(mutex);
        open.erase(connection);
        --connections;
        if (--connectionsPerAddress[block] == 0) {
            connectionsPerAddress.erase(block);
        }
    }
};

namespace {

using Shared = HttpsServer::Impl;

template <typename Stream>
class Connection : public ConnectionBase, public std::enable_shared_from_this<Connection<Stream>> {
public:
    Connection(Stream stream, std::shared_ptr<Shared> shared, std::string clientAddress)
        : stream_(std::move(stream))
        , shared_(std::move(shared))
        , clientAddress_(std::move(clientAddress)) {
        buffer_.reserve(tlsRecordSize);
    }
    ~Connection() override {
        shared_->releaseLargeBody(largeBody_);
        shared_->release(this, clientAddress_);
    }

    void start() {
        {
            const std::lock_guard lock(shared_->mutex);
            shared_->open.emplace(this, this->shared_from_this());
        }
        lowest().expires_after(shared_->options.readTimeout);
        if constexpr (std::is_same_v<Stream, beast::tcp_stream>) {
            read();
        } else {
            stream_.async_handshake(asio::ssl::stream_base::server,
                                    [self = this->shared_from_this()](beast::error_code ec) {
                                        if (!ec) {
                                            self->read();
                                        }
                                    });
        }
    }

    void closeNow() override {
        asio::post(stream_.get_executor(), [self = this->shared_from_this()] {
            beast::error_code ignored;
            self->lowest().socket().shutdown(tcp::socket::shutdown_both, ignored);
            self->lowest().close();
        });
    }

private:
    enum class Close { No, Yes, AfterDrain };

    beast::tcp_stream& lowest() { return beast::get_lowest_layer(stream_); }

    void read() {
        parser_.emplace();
        parser_->header_limit(headerLimit);
        // A length past the limit is refused as soon as the header is read; one that is not
        // large gets the ordinary limit back then.
        parser_->body_limit(std::max(shared_->options.bodyLimit, shared_->options.largeBodyLimit));
        // A kept-alive connection that sends nothing soon makes room for others.
        lowest().expires_after(keptAlive_ ? shared_->options.keepAliveTimeout
                                          : shared_->options.readTimeout);
        // Requests the client sent ahead of an answer wait in the buffer and are parsed first.
        http::async_read_header(stream_, buffer_, *parser_,
                                [self = this->shared_from_this()](
                                    beast::error_code ec, std::size_t) { self->onHeader(ec); });
    }

    void onHeader(beast::error_code headerError) {
        if (headerError || parser_->is_done()) {
            return onRead(headerError);
        }
        const auto length = parser_->content_length();
        if (!length || *length <= shared_->options.bodyLimit) {
            parser_->body_limit(shared_->options.bodyLimit);
            return readBody(shared_->options.readTimeout);
        }
        if (!shared_->largeBodyCheck) {
            return readLargeBody(*length);
        }
        // Asked before any of the budget is taken, so that a client the check refuses cannot
        // hold it by declaring a length and sending nothing.
        auto answered = std::make_shared<std::atomic<bool>>(false);
        Admit admit = [self = this->shared_from_this(), length = *length,
                       answered](std::optional<HttpResponse> refusal) {
            if (answered->exchange(true)) {
                return;
            }
            asio::post(self->stream_.get_executor(),
                       [self, length, refusal = std::move(refusal)]() mutable {
                           if (refusal) {
                               return self->reply(std::move(*refusal), Close::AfterDrain);
                           }
                           self->readLargeBody(length);
                       });
        };
        if (!shared_->callSafely(
                [&] { shared_->largeBodyCheck(headOf(parser_->get(), clientAddress_), admit); })) {
            admit(errorResponse(500, "internal error"));
        }
    }

    void readLargeBody(std::size_t length) {
        if (!shared_->reserveLargeBody(length)) {
            HttpResponse busy = errorResponse(503, "too many large requests at once");
            busy.headers.emplace_back("Retry-After", "5");
            return reply(std::move(busy), Close::AfterDrain);
        }
        largeBody_ = length;
        readBody(shared_->options.readTimeout + std::chrono::seconds(length / slowestUpload));
    }

    void readBody(std::chrono::milliseconds timeout) {
        lowest().expires_after(timeout);
        http::async_read(stream_, buffer_, *parser_,
                         [self = this->shared_from_this()](beast::error_code ec, std::size_t) {
                             self->onRead(ec);
                         });
    }

    void onRead(beast::error_code ec) {
        shared_->releaseLargeBody(std::exchange(largeBody_, 0));
        if (ec == http::error::body_limit) {
            return reply(errorResponse(413, "request body too large"), Close::AfterDrain);
        }
        if (ec == http::error::header_limit) {
            return reply(errorResponse(431, "request headers too large"), Close::AfterDrain);
        }
        if (ec == http::error::end_of_stream || ec == beast::error::timeout ||
            ec == asio::ssl::error::stream_truncated || ec == asio::error::eof ||
            ec == asio::error::connection_reset || ec == asio::error::operation_aborted ||
            ec == asio::error::bad_descriptor) {
            return close();
        }
        if (ec) {
            return reply(errorResponse(400, "malformed request"), Close::AfterDrain);
        }
        if (shared_->stopping) {
            return close();
        }
        auto message = parser_->release();
        if (const auto& own = shared_->ownOrigin) {
            if (!own->isHost(message[http::field::host])) {
                return reply(errorResponse(403, "unknown host"), Close::Yes);
            }
            const bool changes =
                message.method() != http::verb::get && message.method() != http::verb::head;
            if (changes && message.count(http::field::origin) > 0 &&
                !own->isOrigin(message[http::field::origin])) {
                return reply(errorResponse(403, "cross-site request"), Close::Yes);
            }
        }
        HttpRequest request = headOf(message, clientAddress_);
        request.body = std::move(message.body());
        // A sign-in form's password would outlive the request in the read buffer.
        if (const auto type = request.headers.find("content-type");
            type != request.headers.end() &&
            type->second.starts_with("application/x-www-form-urlencoded")) {
            wipeBuffer();
        }
        dispatch(std::move(request), message.keep_alive() ? Close::No : Close::Yes);
    }

    void dispatch(HttpRequest request, Close close) {
        ++shared_->inFlight;
        auto answered = std::make_shared<std::atomic<bool>>(false);
        Respond respond = [self = this->shared_from_this(), close,
                           answered](HttpResponse response) {
            if (answered->exchange(true)) {
                return;
            }
            asio::post(self->stream_.get_executor(),
                       [self, response = std::move(response), close]() mutable {
                           const Close after = response.closes ? Close::AfterDrain : close;
                           self->reply(std::move(response), after, true);
                       });
        };
        if (!shared_->callSafely([&] { shared_->handler(std::move(request), respond); })) {
            respond(errorResponse(500, "internal error"));
        }
    }

    void reply(HttpResponse response, Close close, bool counted = false) {
        auto message = std::make_shared<http::response<http::string_body>>();
        message->version(11);
        message->result(static_cast<unsigned>(response.status));
        message->set(http::field::server, "quorvane-backend");
        message->set(http::field::content_type, response.contentType);
        // Answers carry tokens, mail and drafts: no cache on the way may keep one.
        message->set(http::field::cache_control, "no-store");
        for (const auto& [name, value] : response.headers) {
            message->set(name, value);
        }
        message->body() = std::move(response.body);
        if (shared_->stopping && close == Close::No) {
            close = Close::Yes;
        }
        message->keep_alive(close == Close::No);
        message->prepare_payload();
        lowest().expires_after(shared_->options.readTimeout);
        http::async_write(stream_, *message,
                          [self = this->shared_from_this(), message, close,
                           counted](beast::error_code ec, std::size_t) {
                              if (counted) {
                                  --self->shared_->inFlight;
                              }
                              if (ec || close == Close::Yes) {
                                  return self->close();
                              }
                              if (close == Close::AfterDrain) {
                                  return self->drain(0);
                              }
                              self->keptAlive_ = true;
                              self->read();
                          });
    }

    // Closing a socket with unread input resets the connection, and the client may lose the
    // answer it has not read yet; so the rest of a refused request is read and dropped,
    // bounded in time and size, and never taken for further requests.
    void drain(std::size_t drained) {
        if (drained == 0) {
            lowest().expires_after(std::min(drainTime, shared_->options.readTimeout));
        }
        if (drained > 4 * shared_->options.bodyLimit) {
            return close();
        }
        buffer_.consume(buffer_.size());
        stream_.async_read_some(
            buffer_.prepare(tlsRecordSize),
            [self = this->shared_from_this(), drained](beast::error_code ec, std::size_t n) {
                if (ec) {
                    return self->close();
                }
                self->drain(drained + n);
            });
    }

    // Keeps what follows the form in the buffer: requests the client sent ahead.
    void wipeBuffer() {
        std::string ahead = beast::buffers_to_string(buffer_.data());
        buffer_.clear();
        const auto whole = buffer_.prepare(buffer_.capacity());
        OPENSSL_cleanse(whole.data(), whole.size());
        buffer_.commit(asio::buffer_copy(buffer_.prepare(ahead.size()), asio::buffer(ahead)));
        OPENSSL_cleanse(ahead.data(), ahead.size());
    }

    void close() {
        if constexpr (std::is_same_v<Stream, beast::tcp_stream>) {
            beast::error_code ignored;
            lowest().socket().shutdown(tcp::socket::shutdown_both, ignored);
            lowest().close();
        } else {
            lowest().expires_after(std::chrono::seconds(2));
            stream_.async_shutdown(
                [self = this->shared_from_this()](beast::error_code) { self->lowest().close(); });
        }
    }

    Stream stream_;
    std::shared_ptr<Shared> shared_;
    std::string clientAddress_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    bool keptAlive_ = false;
    // The length of the large body being read, counted against the server's budget.
    std::size_t largeBody_ = 0;
};

} // namespace

void HttpsServer::Impl::accept() {
    acceptor.async_accept(
        asio::make_strand(loop.context()),
        [self = shared_from_this()](beast::error_code ec, tcp::socket socket) {
            if (ec == asio::error::operation_aborted || self->stopping) {
                return;
            }
            if (!ec) {
                const auto peer = socket.remote_endpoint(ec);
                std::string address = ec ? "" : peer.address().to_string();
                if (!self->admit(address)) {
                    beast::error_code ignored;
                    socket.close(ignored);
                } else {
                    socket.set_option(tcp::no_delay(true), ec);
                    if (self->options.transport == ServerOptions::Transport::Plain) {
                        std::make_shared<Connection<beast::tcp_stream>>(
                            beast::tcp_stream(std::move(socket)), self, std::move(address))
                            ->start();
                    } else {
                        using TlsStream = beast::ssl_stream<beast::tcp_stream>;
                        std::make_shared<Connection<TlsStream>>(
                            TlsStream(std::move(socket), self->tls), self, std::move(address))
                            ->start();
                    }
                }
            }
            self->accept();
        });
}

HttpsServer::HttpsServer(EventLoop& loop, ServerOptions options, Log log)
    : impl_(std::make_shared<Impl>(loop, std::move(options), std::move(log))) {}

HttpsServer::~HttpsServer() {
    // Stopping throws only when memory or a lock fails; from a destructor that would end the
    // process, and the loop closes what is left when it goes.
    try {
        stop();
    } catch (const std::exception&) {
    }
}

std::uint16_t HttpsServer::bind() {
    if (impl_->options.transport == ServerOptions::Transport::Tls) {
        auto& tls = impl_->tls;
        SSL_CTX* native = tls.native_handle();
        SSL_CTX_set_min_proto_version(native, TLS1_2_VERSION);
        SSL_CTX_set_options(native, SSL_OP_NO_RENEGOTIATION | SSL_OP_CIPHER_SERVER_PREFERENCE);
        if (SSL_CTX_set_cipher_list(native, tls12Ciphers) != 1) {
            throw std::runtime_error("this OpenSSL offers none of the TLS 1.2 ciphers in use");
        }
        tls.use_certificate_chain(asio::buffer(impl_->options.certificatePem));
        tls.use_private_key(asio::buffer(impl_->options.keyPem), asio::ssl::context::pem);
    }
    const tcp::endpoint endpoint(asio::ip::make_address(impl_->options.address),
                                 impl_->options.port);
    auto& acceptor = impl_->acceptor;
    acceptor.open(endpoint.protocol());
    acceptor.set_option(asio::socket_base::reuse_address(true));
    acceptor.bind(endpoint);
    acceptor.listen(asio::socket_base::max_listen_connections);
    const std::uint16_t port = acceptor.local_endpoint().port();
    if (impl_->options.origins == ServerOptions::Origins::OwnOnly) {
        const bool plain = impl_->options.transport == ServerOptions::Transport::Plain;
        impl_->ownOrigin.emplace(plain ? "http" : "https", impl_->options.address, port);
    }
    return port;
}

void HttpsServer::start(Handler handler, LargeBodyCheck largeBodies) {
    impl_->handler = std::move(handler);
    impl_->largeBodyCheck = std::move(largeBodies);
    asio::post(impl_->acceptor.get_executor(), [impl = impl_] { impl->accept(); });
}

void HttpsServer::stop(std::chrono::milliseconds grace) {
    if (impl_->stopping.exchange(true)) {
        return;
    }
    asio::post(impl_->acceptor.get_executor(), [impl = impl_] {
        beast::error_code ignored;
        impl->acceptor.close(ignored);
    });
    // Answers in flight are written before their connections close; the wait is in real time
    // because it waits on real clients and engines.
    const auto until = std::chrono::steady_clock::now() + grace;
    while (impl_->inFlight.load() > 0 && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // Only a stop that waited was meant to be clean; its clients see a closed connection.
    if (const std::size_t cut = impl_->inFlight.load(); grace.count() > 0 && cut > 0) {
        impl_->log("stopped with " + std::to_string(cut) + (cut == 1 ? " answer" : " answers") +
                   " unwritten after the grace of " + std::to_string(grace.count()) + " ms");
    }
    std::vector<std::shared_ptr<ConnectionBase>> open;
    {
        const std::lock_guard lock(impl_->mutex);
        for (const auto& [raw, weak] : impl_->open) {
            if (auto connection = weak.lock()) {
                open.push_back(std::move(connection));
            }
        }
    }
    for (const auto& connection : open) {
        connection->closeNow();
    }
}

} // namespace backend
