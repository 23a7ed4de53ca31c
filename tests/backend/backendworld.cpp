#include "backendworld.h"

#include "beastnet.h"
#include "postgresstore.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace backend;

namespace {

// A plain TCP connection from `from`, a loopback address, to 127.0.0.1, or -1.
int connectLoopback(std::uint16_t port, const std::string& from = "127.0.0.1") {
    asio::io_context io;
    tcp::socket socket(io);
    beast::error_code ec;
    socket.open(tcp::v4(), ec);
    socket.bind({asio::ip::make_address(from, ec), 0}, ec);
    socket.connect({asio::ip::address_v4::loopback(), port}, ec);
    if (ec) {
        return -1;
    }
    // As HTTP clients do: with Nagle's algorithm the last TLS record of a large request
    // would wait for the server's delayed acknowledgement of the one before.
    socket.set_option(tcp::no_delay(true));
    return socket.release();
}

// True when the peer has closed or reset the connection.
bool peerClosed(int fd) {
    pollfd events{fd, POLLRDHUP, 0};
    return ::poll(&events, 1, 0) > 0;
}

} // namespace

struct LoopbackClient::Stream {
    asio::io_context io;
    asio::ssl::context tls{asio::ssl::context::tls_client};
    beast::ssl_stream<tcp::socket> tlsStream{io, tls};
    beast::flat_buffer buffer;
};

LoopbackClient::LoopbackClient(std::uint16_t port, const std::string& caPem,
                               const std::string& from)
    : stream_(std::make_unique<Stream>()) {
    beast::error_code ec;
    stream_->tls.add_certificate_authority(asio::buffer(caPem), ec);
    stream_->tls.set_verify_mode(asio::ssl::verify_peer);
    stream_->tlsStream.set_verify_callback(asio::ssl::host_name_verification("127.0.0.1"));
    const int fd = connectLoopback(port, from);
    stream_->tlsStream.next_layer().assign(tcp::v4(), fd, ec);
    stream_->tlsStream.handshake(asio::ssl::stream_base::client, ec);
}

LoopbackClient::~LoopbackClient() = default;

bool LoopbackClient::write(const std::string& bytes) {
    beast::error_code ec;
    asio::write(stream_->tlsStream, asio::buffer(bytes), ec);
    return !ec;
}

LoopbackClient::Answer LoopbackClient::receive() {
    http::response<http::string_body> answer;
    beast::error_code ec;
    http::read(stream_->tlsStream, stream_->buffer, answer, ec);
    if (ec) {
        return {};
    }
    Answer result{static_cast<int>(answer.result_int()), std::move(answer.body()), {}};
    for (const auto& field : answer) {
        std::string name(field.name_string());
        std::ranges::transform(name, name.begin(), [](unsigned char c) { return std::tolower(c); });
        result.headers[name] = std::string(field.value());
    }
    return result;
}

bool LoopbackClient::closed() const {
    return peerClosed(stream_->tlsStream.next_layer().native_handle());
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

Endpoint::Session Endpoint::startSession(const std::string& from) const {
    const auto answer = send("GET", Endpoint::sessions, "", "", from);
    const auto session = nlohmann::json::parse(answer.body, nullptr, false);
    if (answer.status != 200 || !session.contains("login_url")) {
        return {};
    }
    const std::string link = session["login_url"];
    return {session["id"], link.substr(link.find("?code=") + 6)};
}

int Endpoint::login(const std::string& code, const std::string& email, const std::string& password,
                    const std::string& from) const {
    return send("POST", "/plugin-auth/login",
                "code=" + code + "&email=" + email + "&password=" + password, "", from)
        .status;
}

std::string Endpoint::tokenIn(const LoopbackClient::Answer& poll) {
    const auto body = nlohmann::json::parse(poll.body, nullptr, false);
    const bool issued = body.contains("access_token") && body["access_token"].is_string();
    return poll.status == 200 && issued ? body["access_token"] : "";
}

std::string Endpoint::me(const std::string& token) const {
    const auto answer = send("GET", "/api/v1/me", "", token);
    return answer.status == 200 ? nlohmann::json::parse(answer.body)["email"].get<std::string>()
                                : std::to_string(answer.status);
}

// The start of a TLS record that announces a ClientHello of 512 bytes: the handshake waits
// for the rest.
const std::string hello =
    std::string("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03", 11) + std::string(501, 'q');

SlowClients::SlowClients(std::uint16_t port, int count) {
    for (int i = 0; i < count; ++i) {
        fds_.push_back(connectLoopback(port));
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
    const bool more = sent_ + 1 < hello.size();
    for (int& fd : fds_) {
        if (fd >= 0 && (peerClosed(fd) || (more && ::send(fd, hello.data() + sent_, 1,
                                                          MSG_NOSIGNAL | MSG_DONTWAIT) != 1))) {
            ::close(fd);
            fd = -1;
        }
        open += fd >= 0 ? 1 : 0;
    }
    sent_ += more ? 1 : 0;
    return open;
}

bool enoughDescriptors(std::size_t wanted) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        return false;
    }
    limit.rlim_cur = std::max<rlim_t>(limit.rlim_cur, std::min<rlim_t>(wanted, limit.rlim_max));
    return ::setrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur >= wanted;
}

std::string mailOfSize(std::size_t bytes) {
    std::string text = "Hi Ann,\n\n";
    for (int i = 0; text.size() < bytes; ++i) {
        text += "The budget review for item " + std::to_string(i) +
                " moved to Friday. Can you send the slides? Please book the room.\n";
    }
    return text + "\nThanks,\nBob\n";
}

std::string addAnn(const std::string& url, const std::string& password) {
    PostgresStore store(url, 1);
    const SystemClock clock;
    Authenticator auth(store, clock, {1024, 8, 1});
    auth.addAccount("ann@example.org", "Ann", password);
    const auto session = auth.createSession();
    (void)auth.login(session.loginCode, "ann@example.org", password, "");
    return auth.poll(session.id).token;
}
