#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// Connections that each send one byte of a TLS ClientHello now and then, as a slow or hostile
/// client does, so that their handshakes never finish within a server's deadline.
class SlowClients {
public:
    SlowClients(std::uint16_t port, int count);
    ~SlowClients();
    SlowClients(const SlowClients&) = delete;
    SlowClients& operator=(const SlowClients&) = delete;

    /// False when a connection could not be made.
    [[nodiscard]] bool connected() const { return connected_; }
    /// Sends the next byte on every connection the server has not closed; returns how many
    /// are still open.
    int trickle();

private:
    std::string hello_;
    std::vector<int> fds_;
    std::size_t sent_ = 0;
    bool connected_ = true;
};

/// Raises the limit on open files to `wanted` when the hard limit allows; false otherwise.
[[nodiscard]] bool enoughDescriptors(std::size_t wanted);
