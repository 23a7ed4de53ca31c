#pragma once

#include <cstdint>
#include <string>

/// A keep-alive HTTPS connection to 127.0.0.1 that trusts one CA, for tests and benchmarks.
class LoopbackClient {
public:
    struct Answer {
        int status = 0;
        std::string body;
    };

    LoopbackClient(std::uint16_t port, const std::string& caPem);
    ~LoopbackClient();
    LoopbackClient(const LoopbackClient&) = delete;
    LoopbackClient& operator=(const LoopbackClient&) = delete;

    /// Sends raw request bytes and reads one answer; status 0 when the server closed or failed.
    [[nodiscard]] Answer send(const std::string& raw);
    /// Writes bytes without waiting for an answer; false when the connection failed.
    [[nodiscard]] bool write(const std::string& bytes);
    /// Reads one answer; status 0 when the server closed or failed.
    [[nodiscard]] Answer receive();
    /// True when an answer or the server's close is waiting to be read.
    [[nodiscard]] bool readable();

    /// A request text with the given pieces; `keepAlive` chooses the Connection header.
    enum class Connection { KeepAlive, Close };
    [[nodiscard]] static std::string request(const std::string& method, const std::string& target,
                                             const std::string& body, const std::string& token,
                                             Connection connection = Connection::Close);

private:
    void* ctx_ = nullptr;
    void* ssl_ = nullptr;
    int fd_ = -1;
    bool connected_ = false;
    std::string pending_;
};

/// A plain TCP connection to 127.0.0.1, or -1.
[[nodiscard]] int connectLoopback(std::uint16_t port);
