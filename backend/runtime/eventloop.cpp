#include "eventloop.h"

#include <algorithm>
#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <thread>
#include <vector>

namespace backend {

struct EventLoop::Impl {
    boost::asio::io_context io;
    boost::asio::executor_work_guard<boost::asio::io_context::executor_type> work{
        io.get_executor()};
    std::vector<std::thread> threads;
};

EventLoop::EventLoop(std::size_t threads)
    : impl_(std::make_unique<Impl>()) {
    for (std::size_t i = 0; i < std::max<std::size_t>(threads, 1); ++i) {
        impl_->threads.emplace_back([this] { impl_->io.run(); });
    }
}

EventLoop::~EventLoop() {
    stop();
}

boost::asio::io_context& EventLoop::context() {
    return impl_->io;
}

void EventLoop::stop() {
    impl_->work.reset();
    impl_->io.stop();
    for (auto& thread : impl_->threads) {
        thread.join();
    }
    impl_->threads.clear();
}

} // namespace backend
