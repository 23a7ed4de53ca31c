// A normal client's latency on loopback while the backend is abused, against the same client
// unloaded: with 1,000 connections that each send a handshake byte every 100 ms, and with
// requests that carry random tokens against requests with a valid one.
#include "allocator.h"
#include "backendworld.h"
#include "secrets.h"
#include "support/measure.h"

#include <atomic>
#include <cstdio>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

using namespace backend;
using Steady = std::chrono::steady_clock;

namespace {

constexpr int samples = 400;
constexpr int slowCount = 1000;

// One kind of request the benchmark times, the status it gets, and whether it is sent on a new
// connection, connected before the clock starts: a refusal ends its connection, and the first
// request on a connection costs more than the next, so refused and served requests compare alike
// on new ones.
struct Kind {
    std::function<std::string()> request;
    int status = 200;
    bool fresh = false;
};

// Milliseconds of each request made by each of `kinds` in turn, so that a drift of the machine
// weighs on all alike; an answer with another status ends the run early, which shows as too few
// samples.
std::vector<std::vector<double>> latencies(const BackendWorld& world, LoopbackClient& kept,
                                           const std::vector<Kind>& kinds) {
    std::vector<std::vector<double>> times(kinds.size());
    for (int i = 0; i < samples; ++i) {
        for (std::size_t k = 0; k < kinds.size(); ++k) {
            const std::string request = kinds[k].request();
            std::optional<LoopbackClient> own;
            if (kinds[k].fresh) {
                own.emplace(world.port, world.caPem);
            }
            LoopbackClient& client = own ? *own : kept;
            const auto begin = Steady::now();
            if (client.send(request).status != kinds[k].status) {
                return times;
            }
            times[k].push_back(
                std::chrono::duration<double, std::milli>(Steady::now() - begin).count());
        }
    }
    return times;
}

} // namespace

int main() {
    backend::keepFreedMemoryForRequests(); // as the server does
    if (!enoughDescriptors(2 * slowCount + 256)) {
        std::fprintf(stderr, "the hard limit on open files is below %d\n", 2 * slowCount + 256);
        return 1;
    }
    BackendWorld world;
    ServerOptions options;
    // The slow clients stay for the whole measurement, and all come from 127.0.0.1.
    options.readTimeout = std::chrono::seconds(120);
    options.maxConnectionsPerAddress = options.maxConnections;
    world.serve(options);
    const std::string token = world.signIn();
    using C = LoopbackClient::Connection;
    const auto me = [](const std::string& bearer) {
        return LoopbackClient::request("GET", "/api/v1/me", "", bearer, C::KeepAlive);
    };
    const auto valid = [&] { return me(token); };
    const auto random = [&] { return me(secrets::randomHex(32)); };
    auto client = world.client();

    const auto unloaded =
        latencies(world, client, {{valid, 200}, {valid, 200, true}, {random, 401, true}});

    SlowClients slow(world.port, slowCount);
    std::atomic<bool> done = false;
    std::atomic<int> open = slowCount;
    std::thread trickle([&] {
        while (!done) {
            open = slow.trickle();
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    const auto loaded = latencies(world, client, {{valid, 200}});
    done = true;
    trickle.join();
    const bool complete = unloaded[2].size() == samples && loaded[0].size() == samples;
    const double validMedian = bench::median(unloaded[0]);
    const double newValidMedian = bench::median(unloaded[1]);
    const double randomMedian = bench::median(unloaded[2]);
    const double loadedMedian = bench::median(loaded[0]);

    std::printf("unloaded %.3f ms, with %d slow connections (%d still open) %.3f ms\n", validMedian,
                slowCount, open.load(), loadedMedian);
    std::printf("on a new connection: valid token %.3f ms, random token %.3f ms\n", newValidMedian,
                randomMedian);
    // A normal client should hardly notice the slow ones, and a guessed token should cost the
    // server no more than a served request, so that guessing is no cheaper way to load it.
    bench::printRatio("slow_connections_latency", complete ? loadedMedian / validMedian : 99.0,
                      "<= 1.5");
    bench::printRatio("random_token_vs_valid_latency",
                      complete ? randomMedian / newValidMedian : 99.0, "<= 1.5");
    return 0;
}
