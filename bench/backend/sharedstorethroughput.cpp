// Summaries a second from two instances on one PostgreSQL database, against the same two
// instances' load on two databases of their own: whether the shared store holds them back. The
// instances live in this process, as do the clients, which load both pairs alike.
#include "backendworld.h"
#include "reportingfailure.h"
#include "support/measure.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <latch>
#include <nlohmann/json.hpp>
#include <thread>
#include <vector>

using namespace backend;
using Steady = std::chrono::steady_clock;

namespace {

constexpr int clientsPerInstance = 8;
constexpr auto runTime = std::chrono::milliseconds(1500);
constexpr int runs = 5;

// Summaries a second that `clientsPerInstance` keep-alive clients on each world get done in
// `runTime`; every client's token checks a database of the world's own.
double summariesPerSecond(std::initializer_list<BackendWorld*> worlds) {
    const std::string body = nlohmann::json{{"content", mailOfSize(std::size_t{4} * 1024)}}.dump();
    std::vector<std::thread> threads;
    std::atomic<int> done = 0;
    std::atomic<int> failed = 0;
    const int clients = clientsPerInstance * static_cast<int>(worlds.size());
    // The clock starts once every client has connected: TLS handshakes are not summaries.
    std::latch connected(clients);
    std::latch go(1);
    Steady::time_point until;
    for (BackendWorld* world : worlds) {
        const std::string token = world->signIn();
        for (int c = 0; c < clientsPerInstance; ++c) {
            threads.emplace_back([&, world, token] {
                auto client = world->client();
                const std::string request =
                    LoopbackClient::request("POST", "/api/v1/summarize", body, token,
                                            LoopbackClient::Connection::KeepAlive);
                connected.count_down();
                go.wait();
                while (Steady::now() < until) {
                    (client.send(request).status == 200 ? done : failed) += 1;
                }
            });
        }
    }
    connected.wait();
    const auto start = Steady::now();
    until = start + runTime;
    go.count_down();
    for (auto& thread : threads) {
        thread.join();
    }
    if (failed > 0) {
        std::fprintf(stderr, "%d summaries failed\n", failed.load());
        std::exit(1);
    }
    return done / std::chrono::duration<double>(Steady::now() - start).count();
}

void measure() {
    const TestServer server(TestServer::Durability::AsDeployed);
    const TestDatabase shared(server.stateFile());
    const TestDatabase ownA(server.stateFile());
    const TestDatabase ownB(server.stateFile());
    BackendWorld sharedA(nullptr, StoreKind::Postgresql, shared.url());
    BackendWorld sharedB(nullptr, StoreKind::Postgresql, shared.url());
    BackendWorld apartA(nullptr, StoreKind::Postgresql, ownA.url());
    BackendWorld apartB(nullptr, StoreKind::Postgresql, ownB.url());
    for (BackendWorld* world : {&sharedA, &sharedB, &apartA, &apartB}) {
        world->serve();
    }
    std::vector<double> ratios;
    for (int run = 0; run < runs; ++run) {
        const double together = summariesPerSecond({&sharedA, &sharedB});
        const double apart = summariesPerSecond({&apartA, &apartB});
        std::printf("run %d: one database %.0f/s, two databases %.0f/s\n", run + 1, together,
                    apart);
        ratios.push_back(together / apart);
    }
    bench::printRatio("shared_store_throughput", bench::median(ratios), ">= 0.9");
}

} // namespace

int main() {
    return reportingFailure("shared store throughput", measure);
}
