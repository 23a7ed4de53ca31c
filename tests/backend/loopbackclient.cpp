#include "loopbackclient.h"

#include <algorithm>
#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

int connectLoopback(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    timeval timeout{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    // As HTTP clients do: with Nagle's algorithm the last TLS record of a large request
    // would wait for the server's delayed acknowledgement of the one before.
    const int noDelay = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
    return fd;
}

LoopbackClient::LoopbackClient(std::uint16_t port, const std::string& caPem) {
    // A server that closes while we write must fail the write, not kill the process.
    std::signal(SIGPIPE, SIG_IGN);
    SSL_CTX* ctx = SSL_CTX_new(TLS_client_method());
    ctx_ = ctx;
    BIO* bio = BIO_new_mem_buf(caPem.data(), static_cast<int>(caPem.size()));
    X509* ca = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr);
    if (ca) {
        X509_STORE_add_cert(SSL_CTX_get_cert_store(ctx), ca);
        X509_free(ca);
    }
    BIO_free(bio);
    SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, nullptr);
    SSL* ssl = SSL_new(ctx);
    ssl_ = ssl;
    fd_ = connectLoopback(port);
    SSL_set_fd(ssl, fd_);
    SSL_set1_host(ssl, "127.0.0.1");
    connected_ = fd_ >= 0 && SSL_connect(ssl) == 1;
}

LoopbackClient::~LoopbackClient() {
    SSL_free(static_cast<SSL*>(ssl_));
    if (fd_ >= 0) {
        ::close(fd_);
    }
    SSL_CTX_free(static_cast<SSL_CTX*>(ctx_));
}

LoopbackClient::Answer LoopbackClient::send(const std::string& raw) {
    if (!connected_) {
        return {};
    }
    // Writes in pieces and stops when the server has already answered, as it does when it
    // refuses a body that is too large before reading all of it.
    constexpr std::size_t piece = 65536;
    for (std::size_t sent = 0; sent < raw.size(); sent += piece) {
        if ((sent > 0 && readable()) || !write(raw.substr(sent, piece))) {
            break;
        }
    }
    return receive();
}

bool LoopbackClient::write(const std::string& bytes) {
    return connected_ &&
           SSL_write(static_cast<SSL*>(ssl_), bytes.data(), static_cast<int>(bytes.size())) > 0;
}

bool LoopbackClient::readable() {
    auto* ssl = static_cast<SSL*>(ssl_);
    pollfd events{fd_, POLLIN, 0};
    if (!connected_ || SSL_pending(ssl) > 0) {
        return connected_;
    }
    if (::poll(&events, 1, 0) <= 0) {
        return false;
    }
    // The socket may hold only the server's session tickets: peek without blocking to tell
    // those from an answer or a close.
    const int flags = ::fcntl(fd_, F_GETFL);
    ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK);
    char byte = 0;
    const int n = SSL_peek(ssl, &byte, 1);
    const bool waiting = n > 0 || SSL_get_error(ssl, n) != SSL_ERROR_WANT_READ;
    ::fcntl(fd_, F_SETFL, flags);
    return waiting;
}

LoopbackClient::Answer LoopbackClient::receive() {
    auto* ssl = static_cast<SSL*>(ssl_);
    if (!connected_) {
        return {};
    }
    std::string& data = pending_;
    char buffer[16384];
    std::size_t headerEnd = std::string::npos;
    std::size_t length = 0;
    while (true) {
        if (headerEnd == std::string::npos) {
            headerEnd = data.find("\r\n\r\n");
            if (headerEnd != std::string::npos) {
                std::string head = data.substr(0, headerEnd);
                for (char& c : head) {
                    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                }
                const std::size_t at = head.find("content-length:");
                length = at == std::string::npos ? 0 : std::stoul(head.substr(at + 15));
            }
        }
        if (headerEnd != std::string::npos && data.size() >= headerEnd + 4 + length) {
            Answer answer{std::stoi(data.substr(9, 3)), data.substr(headerEnd + 4, length)};
            data.erase(0, headerEnd + 4 + length);
            return answer;
        }
        const int n = SSL_read(ssl, buffer, sizeof buffer);
        if (n <= 0) {
            connected_ = false;
            return {};
        }
        data.append(buffer, static_cast<std::size_t>(n));
    }
}

std::string LoopbackClient::request(const std::string& method, const std::string& target,
                                    const std::string& body, const std::string& token,
                                    Connection connection) {
    return method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: " +
           (connection == Connection::Close ? "close" : "keep-alive") + "\r\n" +
           (token.empty() ? "" : "Authorization: Bearer " + token + "\r\n") +
           "Content-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}
