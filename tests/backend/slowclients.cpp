#include "slowclients.h"

#include "loopbackclient.h"

#include <openssl/ssl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The first flight of a real TLS client, taken from OpenSSL through memory buffers.
std::string clientHello() {
    SSL_CTX* ctx = SSL_CTX_new(TLS_client_method());
    SSL* ssl = SSL_new(ctx);
    BIO* in = BIO_new(BIO_s_mem());
    BIO* out = BIO_new(BIO_s_mem());
    SSL_set_bio(ssl, in, out);
    (void)SSL_connect(ssl);
    char* data = nullptr;
    const long size = BIO_get_mem_data(out, &data);
    std::string hello(data, static_cast<std::size_t>(size));
    SSL_free(ssl);
    SSL_CTX_free(ctx);
    return hello;
}

// True when the peer has closed or reset the connection.
bool closedByPeer(int fd) {
    pollfd events{fd, POLLIN, 0};
    if (::poll(&events, 1, 0) <= 0) {
        return false;
    }
    char byte = 0;
    return ::recv(fd, &byte, 1, MSG_DONTWAIT) <= 0;
}

} // namespace

SlowClients::SlowClients(std::uint16_t port, int count)
    : hello_(clientHello()) {
    for (int i = 0; i < count; ++i) {
        const int fd = connectLoopback(port);
        connected_ = connected_ && fd >= 0;
        if (fd >= 0) {
            fds_.push_back(fd);
        }
    }
}

SlowClients::~SlowClients() {
    for (const int fd : fds_) {
        ::close(fd);
    }
}

int SlowClients::trickle() {
    int open = 0;
    // Never the last byte: the handshake must stay unfinished.
    const bool more = sent_ + 1 < hello_.size();
    for (int& fd : fds_) {
        if (fd < 0) {
            continue;
        }
        if (closedByPeer(fd) ||
            (more && ::send(fd, hello_.data() + sent_, 1, MSG_NOSIGNAL | MSG_DONTWAIT) != 1)) {
            ::close(fd);
            fd = -1;
            continue;
        }
        ++open;
    }
    sent_ += more ? 1 : 0;
    return open;
}

bool enoughDescriptors(std::size_t wanted) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        return false;
    }
    if (limit.rlim_cur >= wanted) {
        return true;
    }
    limit.rlim_cur = std::min<rlim_t>(wanted, limit.rlim_max);
    return ::setrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur >= wanted;
}
