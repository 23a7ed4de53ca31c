#include "testhttpsserver.h"

#include "certificateauthority.h"

#include <algorithm>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/string_body.hpp>
#include <condition_variable>
#include <fstream>
#include <list>
#include <map>
#include <mutex>
#include <sys/socket.h>
#include <thread>

namespace asio = boost::asio;
namespace http = boost::beast::http;
using tcp = asio::ip::tcp;

std::string RecordedRequest::path() const {
    return target.substr(0, target.find('?'));
}

std::optional<std::string> RecordedRequest::header(const std::string& name) const {
    const auto it = std::ranges::find_if(
        headers, [&](const auto& field) { return boost::beast::iequals(field.first, name); });
    return it == headers.end() ? std::nullopt : std::optional(it->second);
}

struct TestHttpsServer::State {
    using Fault = ScriptedReply::Fault;

    asio::io_context io;
    asio::ssl::context tls{asio::ssl::context::tls_server};
    tcp::acceptor acceptor{io, tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0)};
    std::uint16_t port = 0;
    std::filesystem::path authorityFile;
    std::thread acceptThread;

    mutable std::mutex mutex;
    std::condition_variable stopped;
    bool stopping = false;
    std::map<std::string, std::vector<ScriptedReply>> routes;
    std::vector<RecordedRequest> recorded;
    std::list<std::pair<std::shared_ptr<tcp::socket>, std::thread>> connections;

    ScriptedReply replyFor(const RecordedRequest& request) {
        const std::lock_guard lock(mutex);
        recorded.push_back(request);
        auto it = routes.find(request.path());
        if (it == routes.end() || it->second.empty()) {
            return ScriptedReply{404, R"({"error":"not found"})"};
        }
        ScriptedReply reply = it->second.front();
        if (it->second.size() > 1) {
            it->second.erase(it->second.begin());
        }
        return reply;
    }

    /// Sleeps in real time; false when the server stops meanwhile.
    bool pause(std::chrono::milliseconds duration) {
        std::unique_lock lock(mutex);
        return !stopped.wait_for(lock, duration, [this] { return stopping; });
    }

    void serve(const std::shared_ptr<tcp::socket>& socket) {
        try {
            asio::ssl::stream<tcp::socket&> stream(*socket, tls);
            stream.handshake(asio::ssl::stream_base::server);
            boost::beast::flat_buffer buffer;
            for (bool keepAlive = true; keepAlive;) {
                http::request_parser<http::string_body> parser;
                parser.body_limit(std::numeric_limits<std::uint64_t>::max());
                parser.header_limit(1024 * 1024);
                http::read(stream, buffer, parser);
                const auto& message = parser.get();
                keepAlive = message.keep_alive();
                RecordedRequest request{std::string(message.method_string()),
                                        std::string(message.target()),
                                        {},
                                        message.body()};
                for (const auto& field : message) {
                    request.headers.emplace_back(field.name_string(), field.value());
                }
                const ScriptedReply reply = replyFor(request);
                if (!pause(reply.delay) || reply.fault == Fault::DropConnection) {
                    return;
                }
                // A faulty answer announces the whole body and sends half of it, or none at first.
                const std::size_t sent =
                    reply.fault == Fault::None ? reply.body.size()
                    : reply.fault == Fault::StallAfterHeaders || reply.fault == Fault::Trickle
                        ? 0
                        : reply.body.size() / 2;
                std::string head = "HTTP/1.1 " + std::to_string(reply.status) +
                                   " Scripted\r\nContent-Type: " + reply.contentType +
                                   "\r\nContent-Length: " + std::to_string(reply.body.size()) +
                                   (keepAlive ? "" : "\r\nConnection: close") + "\r\n";
                for (const std::string& field : reply.headers) {
                    head += field + "\r\n";
                }
                asio::write(stream, asio::buffer(head + "\r\n" + reply.body.substr(0, sent)));
                if (reply.fault == Fault::ResetMidBody) {
                    // Without lingering, closing sends a reset instead of the orderly end.
                    const std::lock_guard lock(mutex);
                    socket->set_option(asio::socket_base::linger(true, 0));
                    socket->close();
                    return;
                }
                if (reply.fault == Fault::Trickle) {
                    for (const char byte : reply.body) {
                        if (!pause(std::chrono::milliseconds(50))) {
                            return;
                        }
                        asio::write(stream, asio::buffer(&byte, 1));
                    }
                } else if (reply.fault != Fault::None) {
                    pause(std::chrono::hours(1));
                    return;
                }
            }
        } catch (const std::exception&) {
            // A client that goes away or a stopping server ends the connection.
        }
    }

    void acceptLoop() {
        while (true) {
            auto socket = std::make_shared<tcp::socket>(io);
            boost::system::error_code error;
            acceptor.accept(*socket, error);
            const std::lock_guard lock(mutex);
            if (error || stopping) {
                return;
            }
            connections.emplace_back(socket, std::thread([this, socket] {
                                         serve(socket);
                                         const std::lock_guard closing(mutex);
                                         boost::system::error_code ignored;
                                         socket->shutdown(tcp::socket::shutdown_both, ignored);
                                         socket->close(ignored);
                                     }));
        }
    }
};

TestHttpsServer::TestHttpsServer(TestHttpsServerOptions options)
    : state_(std::make_shared<State>()) {
    const tls::KeyAndCertificate authority = tls::makeCertificateAuthority("Quorvane test CA", 2);
    const tls::KeyAndCertificate server =
        tls::issueServerCertificate(authority, {"127.0.0.1", "localhost"}, options.certificateDays);
    state_->tls.use_certificate_chain(asio::buffer(server.certificatePem));
    state_->tls.use_private_key(asio::buffer(server.keyPem), asio::ssl::context::pem);

    state_->authorityFile = std::filesystem::temp_directory_path() /
                            ("quorvane-test-ca-" + std::to_string(::getpid()) + "-" +
                             std::to_string(reinterpret_cast<std::uintptr_t>(this)) + ".pem");
    std::ofstream(state_->authorityFile) << authority.certificatePem;

    // Read once: the accepting thread owns the acceptor from now on.
    state_->port = state_->acceptor.local_endpoint().port();
    state_->acceptThread = std::thread([state = state_.get()] { state->acceptLoop(); });
}

TestHttpsServer::~TestHttpsServer() {
    {
        const std::lock_guard lock(state_->mutex);
        state_->stopping = true;
        state_->stopped.notify_all();
        // Shutting the sockets down wakes the threads blocked on them.
        ::shutdown(state_->acceptor.native_handle(), SHUT_RDWR);
        for (auto& [socket, thread] : state_->connections) {
            if (socket->is_open()) {
                ::shutdown(socket->native_handle(), SHUT_RDWR);
            }
        }
    }
    state_->acceptThread.join();
    for (auto& [socket, thread] : state_->connections) {
        thread.join();
    }
    std::error_code ignored;
    std::filesystem::remove(state_->authorityFile, ignored);
}

std::string TestHttpsServer::baseUrl() const {
    return "https://127.0.0.1:" + std::to_string(state_->port);
}

const std::filesystem::path& TestHttpsServer::certificateAuthorityFile() const {
    return state_->authorityFile;
}

void TestHttpsServer::on(const std::string& path, std::vector<ScriptedReply> replies) {
    const std::lock_guard lock(state_->mutex);
    state_->routes[path] = std::move(replies);
}

std::vector<RecordedRequest> TestHttpsServer::requests() const {
    const std::lock_guard lock(state_->mutex);
    return state_->recorded;
}

std::vector<RecordedRequest> TestHttpsServer::requestsTo(const std::string& path) const {
    std::vector<RecordedRequest> matching = requests();
    std::erase_if(matching, [&](const RecordedRequest& request) { return request.path() != path; });
    return matching;
}
