#pragma once

#include "postgresdatabase.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace backend {

/// At most `size` connections to one database, made when first needed and kept for reuse. A
/// connection found lost is dropped together with the idle ones, which a server restart has
/// closed as well, so that the next call connects afresh.
class ConnectionPool {
public:
    ConnectionPool(std::string url, std::size_t size, std::chrono::milliseconds wait);
    ConnectionPool(const ConnectionPool&) = delete;
    ConnectionPool& operator=(const ConnectionPool&) = delete;

    /// A connection held by one caller and handed back when this goes.
    class Lease {
    public:
        Lease(ConnectionPool& pool, std::unique_ptr<pg::Connection> connection);
        ~Lease();
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        pg::Connection& operator*() const { return *connection_; }
        /// The connection is broken: it is closed instead of handed back.
        void discard();

    private:
        ConnectionPool& pool_;
        std::unique_ptr<pg::Connection> connection_;
    };

    /// A connection, waiting up to `wait` for one to come free; throws StoreUnavailable when
    /// none does or the server cannot be reached.
    [[nodiscard]] Lease acquire();

private:
    void giveBack(std::unique_ptr<pg::Connection> connection);
    void dropLost();

    const std::string url_;
    const std::size_t size_;
    const std::chrono::milliseconds wait_;
    std::mutex mutex_;
    std::condition_variable freed_;
    std::vector<std::unique_ptr<pg::Connection>> idle_;
    std::size_t open_ = 0;
};

} // namespace backend
