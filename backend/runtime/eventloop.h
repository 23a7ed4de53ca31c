#pragma once

#include <cstddef>
#include <memory>

namespace boost::asio {
class io_context;
}

namespace backend {

/// The I/O threads that the server's connections and the model client share.
class EventLoop {
public:
    explicit EventLoop(std::size_t threads);
    /// Stops and joins.
    ~EventLoop();
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;

    [[nodiscard]] boost::asio::io_context& context();
    /// Abandons what is pending and joins the threads.
    void stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace backend
