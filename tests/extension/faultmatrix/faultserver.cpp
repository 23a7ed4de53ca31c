#include "faultserver.h"

#include "certificateauthority.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <fstream>
#include <sys/socket.h>
#include <unistd.h>

namespace asio = boost::asio;
namespace http = boost::beast::http;
using tcp = asio::ip::tcp;

struct FaultServer::State {
    asio::io_context io;
    asio::ssl::context tls{asio::ssl::context::tls_server};
    tcp::acceptor acceptor{io};
    std::filesystem::path authorityFile;
    std::thread acceptThread;

    std::mutex mutex;
    std::condition_variable stopped;
    bool stopping = false;
    std::map<std::string, std::pair<std::string, Misbehaviour>> routes;
    std::list<std::pair<std::shared_ptr<tcp::socket>, std::thread>> connections;

    void stallUntilStopped() {
        std::unique_lock lock(mutex);
        stopped.wait(lock, [this] { return stopping; });
    }

    void serve(tcp::socket& socket) {
        asio::ssl::stream<tcp::socket&> stream(socket, tls);
        stream.handshake(asio::ssl::stream_base::server);
        boost::beast::flat_buffer buffer;
        http::request<http::string_body> request;
        http::read(stream, buffer, request);
        const std::string target(request.target());
        std::pair<std::string, Misbehaviour> route{R"({"error":"not found"})", Misbehaviour::None};
        {
            const std::lock_guard lock(mutex);
            if (auto it = routes.find(target.substr(0, target.find('?'))); it != routes.end()) {
                route = it->second;
            }
        }
        const auto& [body, misbehaviour] = route;
        const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
                                 "Connection: close\r\nContent-Length: " +
                                 std::to_string(body.size()) + "\r\n\r\n";
        switch (misbehaviour) {
        case Misbehaviour::None:
            asio::write(stream, asio::buffer(head + body));
            return;
        case Misbehaviour::StallAfterHeaders:
            asio::write(stream, asio::buffer(head));
            stallUntilStopped();
            return;
        case Misbehaviour::StallMidBody:
            asio::write(stream, asio::buffer(head + body.substr(0, body.size() / 2)));
            stallUntilStopped();
            return;
        case Misbehaviour::ResetMidBody:
            asio::write(stream, asio::buffer(head + body.substr(0, body.size() / 2)));
            {
                // No lingering: closing sends a reset instead of the orderly end of the stream.
                const std::lock_guard lock(mutex);
                socket.set_option(asio::socket_base::linger(true, 0));
                socket.close();
            }
            return;
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
                                         try {
                                             serve(*socket);
                                         } catch (const std::exception&) {
                                             // A client that refuses the certificate or hangs
                                             // up ends its connection.
                                         }
                                         const std::lock_guard closing(mutex);
                                         boost::system::error_code ignored;
                                         socket->close(ignored);
                                     }));
        }
    }
};

FaultServer::FaultServer(int validDays)
    : state_(std::make_shared<State>()) {
    const tls::KeyAndCertificate authority = tls::makeCertificateAuthority("Fault CA", 2);
    const tls::KeyAndCertificate server =
        tls::issueServerCertificate(authority, {"127.0.0.1"}, validDays);
    state_->tls.use_certificate_chain(asio::buffer(server.certificatePem));
    state_->tls.use_private_key(asio::buffer(server.keyPem), asio::ssl::context::pem);
    state_->authorityFile = std::filesystem::temp_directory_path() /
                            ("quorvane-fault-ca-" + std::to_string(::getpid()) + ".pem");
    std::ofstream(state_->authorityFile) << authority.certificatePem;

    const tcp::endpoint endpoint(asio::ip::make_address("127.0.0.1"), 0);
    state_->acceptor.open(endpoint.protocol());
    state_->acceptor.bind(endpoint);
    state_->acceptor.listen();
    state_->acceptThread = std::thread([state = state_.get()] { state->acceptLoop(); });
}

FaultServer::~FaultServer() {
    {
        const std::lock_guard lock(state_->mutex);
        state_->stopping = true;
        ::shutdown(state_->acceptor.native_handle(), SHUT_RDWR);
        for (auto& [socket, thread] : state_->connections) {
            if (socket->is_open()) {
                ::shutdown(socket->native_handle(), SHUT_RDWR);
            }
        }
    }
    state_->stopped.notify_all();
    state_->acceptThread.join();
    for (auto& [socket, thread] : state_->connections) {
        thread.join();
    }
    std::error_code ignored;
    std::filesystem::remove(state_->authorityFile, ignored);
}

std::string FaultServer::baseUrl() const {
    return "https://127.0.0.1:" + std::to_string(state_->acceptor.local_endpoint().port());
}

const std::filesystem::path& FaultServer::certificateAuthorityFile() const {
    return state_->authorityFile;
}

void FaultServer::on(const std::string& path, std::string body, Misbehaviour misbehaviour) {
    const std::lock_guard lock(state_->mutex);
    state_->routes[path] = {std::move(body), misbehaviour};
}
