#include "httpclient.h"

#include "beastnet.h"

#include <boost/asio/connect.hpp>
#include <openssl/ssl.h>
#include <stdexcept>

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
    if (text.rfind("https://", 0) == 0) {
        rest = text.substr(8);
    } else if (text.rfind("http://", 0) == 0) {
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
    if (colon != std::string::npos && (!bracketed || authority[colon - 1] == ']')) {
        url.host = authority.substr(0, colon);
        url.port = authority.substr(colon + 1);
    } else {
        url.host = authority;
        url.port = url.tls ? "443" : "80";
    }
    if (bracketed) {
        url.host = url.host.substr(1, url.host.size() - 2);
    }
    return url;
}

template <typename Stream>
void exchange(Stream& stream, asio::io_context& io, const Url& url, const HttpPost& post,
              HttpAnswer& answer, beast::error_code& failure) {
    auto request =
        std::make_shared<http::request<http::string_body>>(http::verb::post, url.target, 11);
    request->set(http::field::host, url.host);
    request->set(http::field::content_type, "application/json");
    for (const auto& [name, value] : post.headers) {
        request->set(name, value);
    }
    request->body() = post.body;
    request->prepare_payload();
    beast::flat_buffer buffer;
    http::response_parser<http::string_body> parser;
    parser.body_limit(8 << 20);
    http::async_write(stream, *request, [&](beast::error_code ec, std::size_t) {
        if (ec) {
            failure = ec;
            return;
        }
        http::async_read(stream, buffer, parser, [&](beast::error_code readError, std::size_t) {
            if (readError) {
                failure = readError;
                return;
            }
            answer.status = static_cast<int>(parser.get().result_int());
            answer.body = parser.get().body();
        });
    });
    io.run();
    io.restart();
}

} // namespace

HttpAnswer postJson(const HttpPost& post) {
    const Url url = parse(post.url);
    asio::io_context io;
    tcp::resolver resolver(io);
    beast::error_code failure;
    const auto endpoints = resolver.resolve(url.host, url.port, failure);
    if (failure) {
        throw std::runtime_error("cannot resolve " + url.host + ": " + failure.message());
    }
    HttpAnswer answer;
    if (!url.tls) {
        beast::tcp_stream stream(io);
        stream.expires_after(post.timeout);
        stream.async_connect(endpoints,
                             [&](beast::error_code ec, const tcp::endpoint&) { failure = ec; });
        io.run();
        io.restart();
        if (!failure) {
            exchange(stream, io, url, post, answer, failure);
        }
    } else {
        asio::ssl::context tls(asio::ssl::context::tls_client);
        tls.set_default_verify_paths();
        if (!post.caFile.empty()) {
            tls.load_verify_file(post.caFile);
        }
        tls.set_verify_mode(asio::ssl::verify_peer);
        beast::ssl_stream<beast::tcp_stream> stream(io, tls);
        SSL_set_tlsext_host_name(stream.native_handle(), url.host.c_str());
        SSL_set1_host(stream.native_handle(), url.host.c_str());
        beast::get_lowest_layer(stream).expires_after(post.timeout);
        beast::get_lowest_layer(stream).async_connect(
            endpoints, [&](beast::error_code ec, const tcp::endpoint&) {
                if (ec) {
                    failure = ec;
                    return;
                }
                stream.async_handshake(
                    asio::ssl::stream_base::client,
                    [&](beast::error_code handshakeError) { failure = handshakeError; });
            });
        io.run();
        io.restart();
        if (!failure) {
            exchange(stream, io, url, post, answer, failure);
        }
    }
    if (failure) {
        throw std::runtime_error(failure == beast::error::timeout ? "timed out"
                                                                  : failure.message());
    }
    return answer;
}

} // namespace backend
