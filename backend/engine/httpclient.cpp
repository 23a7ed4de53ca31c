#include "httpclient.h"

#include "beastnet.h"

#include <boost/asio/strand.hpp>
#include <mutex>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <optional>
#include <stdexcept>
#include <vector>

namespace backend {
namespace {

struct Url {
    bool tls = true;
    std::string host;
    std::string port;
    std::string target;
};

Url parse(const std::string& text) {
    Url url;
    std::string rest;
    if (text.starts_with("https://")) {
        rest = text.substr(8);
    } else if (text.starts_with("http://")) {
        url.tls = false;
        rest = text.substr(7);
    } else {
        throw std::runtime_error("URL must start with http:// or https://");
    }
    const std::size_t slash = rest.find('/');
    const std::string authority = rest.substr(0, slash);
    url.target = slash == std::string::npos ? "/" : rest.substr(slash);
    const std::size_t colon = authority.rfind(':');
    const bool bracketed = !authority.empty() && authority.front() == '[';
    if (colon != std::string::npos && colon > 0 && (!bracketed || authority[colon - 1] == ']')) {
        url.host = authority.substr(0, colon);
        url.port = authority.substr(colon + 1);
    } else {
        url.host = authority;
        url.port = url.tls ? "443" : "80";
    }
    if (bracketed && url.host.size() >= 2) {
        url.host = url.host.substr(1, url.host.size() - 2);
    }
    if (url.host.empty()) {
        throw std::runtime_error("URL has no host");
    }
    return url;
}

HttpFailure failureOf(const beast::error_code& ec) {
    using K = HttpFailure::Kind;
    if (ec == beast::error::timeout) {
        return {K::TimedOut, {}};
    }
    if (ec == http::error::body_limit) {
        return {K::TooLarge, {}};
    }
    if (ec == asio::error::connection_refused) {
        return {K::Refused, {}};
    }
    if (ec == http::error::end_of_stream || ec == http::error::partial_message ||
        ec == asio::ssl::error::stream_truncated || ec == asio::error::eof ||
        ec == asio::error::connection_reset) {
        return {K::Cut, {}};
    }
    return {K::Other, ec.message()};
}

using TlsStream = beast::ssl_stream<beast::tcp_stream>;

} // namespace

struct HttpClient::Impl {
    virtual ~Impl() = default;
    virtual void post(std::string body, std::map<std::string, std::string> headers,
                      Deadline deadline, std::function<void(HttpResult)> done) = 0;
};

namespace {

template <typename Stream>
class Client final : public HttpClient::Impl, public std::enable_shared_from_this<Client<Stream>> {
public:
    Client(asio::io_context& io, HttpClientOptions options, Url url)
        : io_(io)
        , options_(std::move(options))
        , url_(std::move(url)) {
        if constexpr (std::is_same_v<Stream, TlsStream>) {
            tls_.set_default_verify_paths();
            if (!options_.caFile.empty()) {
                tls_.load_verify_file(options_.caFile);
            }
            tls_.set_verify_mode(asio::ssl::verify_peer);
            cacheTrustedExtensions();
        }
    }

    void post(std::string body, std::map<std::string, std::string> headers, Deadline deadline,
              std::function<void(HttpResult)> done) override {
        auto request =
            std::make_shared<http::request<http::string_body>>(http::verb::post, url_.target, 11);
        request->set(http::field::host, url_.host);
        request->set(http::field::content_type, "application/json");
        for (const auto& [name, value] : headers) {
            request->set(name, value);
        }
        request->body() = std::move(body);
        request->prepare_payload();
        const auto exchange = std::make_shared<Exchange>(
            this->shared_from_this(), std::move(request), std::move(done), deadline);
        exchange->begin();
    }

private:
    // OpenSSL reads a trusted certificate's extensions, which it fills in on first use, while
    // another handshake may still be filling them in: fill them in now, before handshakes run
    // side by side.
    void cacheTrustedExtensions() {
        STACK_OF(X509_OBJECT)* trusted =
            X509_STORE_get0_objects(SSL_CTX_get_cert_store(tls_.native_handle()));
        for (int i = 0; i < sk_X509_OBJECT_num(trusted); ++i) {
            if (X509* certificate = X509_OBJECT_get0_X509(sk_X509_OBJECT_value(trusted, i))) {
                (void)X509_check_purpose(certificate, -1, 0);
            }
        }
    }

    // One request and its answer, on a kept-alive connection when one is idle.
    struct Exchange : std::enable_shared_from_this<Exchange> {
        std::shared_ptr<Client> client;
        std::shared_ptr<http::request<http::string_body>> request;
        std::function<void(HttpResult)> done;
        std::chrono::steady_clock::time_point deadline;
        std::unique_ptr<Stream> stream;
        bool reused = false;
        beast::flat_buffer buffer;
        std::optional<http::response_parser<http::string_body>> parser;
        std::optional<tcp::resolver> resolver;

        Exchange(std::shared_ptr<Client> c, std::shared_ptr<http::request<http::string_body>> r,
                 std::function<void(HttpResult)> d, std::chrono::steady_clock::time_point at)
            : client(std::move(c))
            , request(std::move(r))
            , done(std::move(d))
            , deadline(at) {}

        beast::tcp_stream& lowest() { return beast::get_lowest_layer(*stream); }

        void begin() {
            stream = client->takeIdle();
            reused = stream != nullptr;
            if (reused) {
                return send();
            }
            connect();
        }

        void connect() {
            stream = client->makeStream();
            resolver.emplace(lowest().get_executor());
            resolver->async_resolve(
                client->url_.host, client->url_.port,
                [self = this->shared_from_this()](beast::error_code ec,
                                                  tcp::resolver::results_type endpoints) {
                    if (ec) {
                        return self->fail(ec);
                    }
                    self->lowest().expires_at(self->deadline);
                    self->lowest().async_connect(
                        endpoints, [self](beast::error_code connectError, const tcp::endpoint&) {
                            if (connectError) {
                                return self->fail(connectError);
                            }
                            self->handshake();
                        });
                });
        }

        void handshake() {
            if constexpr (std::is_same_v<Stream, TlsStream>) {
                lowest().expires_at(deadline);
                stream->async_handshake(asio::ssl::stream_base::client,
                                        [self = this->shared_from_this()](beast::error_code ec) {
                                            if (ec) {
                                                return self->fail(ec);
                                            }
                                            self->send();
                                        });
            } else {
                send();
            }
        }

        void send() {
            lowest().expires_at(deadline);
            parser.emplace();
            parser->body_limit(client->options_.bodyLimit);
            buffer.clear();
            http::async_write(*stream, *request,
                              [self = this->shared_from_this()](beast::error_code ec, std::size_t) {
                                  if (ec) {
                                      return self->retryOrFail(ec);
                                  }
                                  http::async_read(
                                      *self->stream, self->buffer, *self->parser,
                                      [self](beast::error_code readError, std::size_t) {
                                          self->onRead(readError);
                                      });
                              });
        }

        void onRead(beast::error_code ec) {
            if (ec) {
                return retryOrFail(ec);
            }
            auto& message = parser->get();
            HttpAnswer answer{static_cast<int>(message.result_int()),
                              std::string(message[http::field::content_type]),
                              std::string(message[http::field::retry_after]),
                              std::move(message.body())};
            if (message.keep_alive()) {
                lowest().expires_never();
                client->keepIdle(std::move(stream));
            }
            done(std::move(answer));
        }

        // A kept-alive connection the server has closed meanwhile fails before any answer
        // arrives; the request then goes once more, on a new connection.
        void retryOrFail(beast::error_code ec) {
            if (reused && !parser->got_some() && ec != beast::error::timeout) {
                reused = false;
                return connect();
            }
            fail(ec);
        }

        void fail(beast::error_code ec) {
            beast::error_code ignored;
            lowest().socket().close(ignored);
            done(failureOf(ec));
        }
    };

    std::unique_ptr<Stream> makeStream() {
        if constexpr (std::is_same_v<Stream, TlsStream>) {
            auto stream = std::make_unique<TlsStream>(asio::make_strand(io_), tls_);
            SSL_set_tlsext_host_name(stream->native_handle(), url_.host.c_str());
            SSL_set1_host(stream->native_handle(), url_.host.c_str());
            return stream;
        } else {
            return std::make_unique<Stream>(asio::make_strand(io_));
        }
    }

    std::unique_ptr<Stream> takeIdle() {
        const std::lock_guard lock(mutex_);
        if (idle_.empty()) {
            return nullptr;
        }
        auto stream = std::move(idle_.back());
        idle_.pop_back();
        return stream;
    }

    void keepIdle(std::unique_ptr<Stream> stream) {
        constexpr std::size_t maxIdle = 256;
        const std::lock_guard lock(mutex_);
        if (idle_.size() < maxIdle) {
            idle_.push_back(std::move(stream));
        }
    }

    asio::io_context& io_;
    HttpClientOptions options_;
    Url url_;
    asio::ssl::context tls_{asio::ssl::context::tls_client};
    std::mutex mutex_;
    std::vector<std::unique_ptr<Stream>> idle_;
};

} // namespace

HttpClient::HttpClient(EventLoop& loop, HttpClientOptions options) {
    Url url = parse(options.url);
    if (url.tls) {
        impl_ =
            std::make_shared<Client<TlsStream>>(loop.context(), std::move(options), std::move(url));
    } else {
        impl_ = std::make_shared<Client<beast::tcp_stream>>(loop.context(), std::move(options),
                                                            std::move(url));
    }
}

HttpClient::~HttpClient() = default;

void HttpClient::postJson(std::string body, std::map<std::string, std::string> headers,
                          Deadline deadline, std::function<void(HttpResult)> done) {
    impl_->post(std::move(body), std::move(headers), deadline, std::move(done));
}

bool sendsInClearBeyondThisMachine(const std::string& url) {
    const Url parsed = parse(url);
    if (parsed.tls || parsed.host == "localhost") {
        return false;
    }
    beast::error_code ec;
    const auto address = asio::ip::make_address(parsed.host, ec);
    return ec || !address.is_loopback();
}

} // namespace backend
