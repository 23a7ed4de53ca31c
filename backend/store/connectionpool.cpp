#include "connectionpool.h"

#include "store.h"

namespace backend {

ConnectionPool::ConnectionPool(std::string url, std::size_t size, std::chrono::milliseconds wait)
    : url_(std::move(url))
    , size_(size)
    , wait_(wait) {}

ConnectionPool::Lease::Lease(ConnectionPool& pool, std::unique_ptr<pg::Connection> connection)
    : pool_(pool)
    , connection_(std::move(connection)) {}

ConnectionPool::Lease::~Lease() {
    if (connection_) {
        pool_.giveBack(std::move(connection_));
    } else {
        pool_.dropLost();
    }
}

void ConnectionPool::Lease::discard() {
    connection_.reset();
}

ConnectionPool::Lease ConnectionPool::acquire() {
    std::unique_lock lock(mutex_);
    if (!freed_.wait_for(lock, wait_, [this] { return !idle_.empty() || open_ < size_; })) {
        throw StoreUnavailable("every database connection is busy");
    }
    if (!idle_.empty()) {
        auto connection = std::move(idle_.back());
        idle_.pop_back();
        return {*this, std::move(connection)};
    }
    ++open_;
    lock.unlock();
    try {
        return {*this, std::make_unique<pg::Connection>(url_)};
    } catch (const pg::ConnectionLost& e) {
        dropLost();
        throw StoreUnavailable(std::string("the database is unavailable: ") + e.what());
    } catch (...) {
        dropLost();
        throw;
    }
}

void ConnectionPool::giveBack(std::unique_ptr<pg::Connection> connection) {
    {
        const std::lock_guard lock(mutex_);
        idle_.push_back(std::move(connection));
    }
    freed_.notify_one();
}

void ConnectionPool::dropLost() {
    std::vector<std::unique_ptr<pg::Connection>> closing;
    {
        const std::lock_guard lock(mutex_);
        --open_;
        open_ -= idle_.size();
        closing.swap(idle_);
    }
    freed_.notify_all();
}

} // namespace backend
