// A normal client's latency on loopback while the backend is abused, against the same client
// unloaded: with 1,000 connections that each send a handshake byte every 100 ms, and with
// requests that carry random tokens against requests with a valid one.
#include "backendworld.h"
#include "secrets.h"
#include "slowclients.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

using namespace backend;
using Steady = std::chrono::steady_clock;

namespace {

constexpr int samples = 400;
constexpr int slowCount = 1000;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Milliseconds of each keep-alive request made by `raw()`; an answer other than `status`
// ends the run early, which shows as too few samples.
std::vector<double> latencies(LoopbackClient& client, const std::function<std::string()>& raw,
                              int status) {
    std::vector<double> times;
    for (int i = 0; i < samples; ++i) {
        const std::string request = raw();
        const auto begin = Steady::now();
        if (client.send(request).status != status) {
            break;
        }
        times.push_back(std::chrono::duration<double, std::milli>(Steady::now() - begin).count());
    }
    return times;
}

} // namespace

int main() {
    if (!enoughDescriptors(2 * slowCount + 256)) {
        std::fprintf(stderr, "the hard limit on open files is below %d\n", 2 * slowCount + 256);
        return 1;
    }
    BackendWorld world;
    ServerOptions options;
    // The slow clients stay for the whole measurement.
    options.readTimeout = std::chrono::seconds(120);
    world.serve(options);
    const std::string token = world.signIn();
    using C = LoopbackClient::Connection;
    const auto me = [](const std::string& bearer) {
        return LoopbackClient::request("GET", "/api/v1/me", "", bearer, C::KeepAlive);
    };
    const auto valid = [&] { return me(token); };
    const auto random = [&] { return me(secrets::randomHex(32)); };
    const auto client = world.client();

    const double unloaded = median(latencies(*client, valid, 200));
    const double validMedian = unloaded;
    const double randomMedian = median(latencies(*client, random, 401));

    SlowClients slow(world.port, slowCount);
    std::atomic<bool> done = false;
    std::atomic<int> open = slowCount;
    std::thread trickle([&] {
        while (!done) {
            open = slow.trickle();
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    const std::vector<double> loadedTimes = latencies(*client, valid, 200);
    done = true;
    trickle.join();
    const double loaded = loadedTimes.size() == samples ? median(loadedTimes) : 0;

    std::printf("unloaded %.3f ms, with %d slow connections (%d still open) %.3f ms\n", unloaded,
                slowCount, open.load(), loaded);
    std::printf("valid token %.3f ms, random token %.3f ms\n", validMedian, randomMedian);
    std::printf("ratio slow_connections_latency %.2f goal <= 3.0\n",
                unloaded > 0 && loaded > 0 ? loaded / unloaded : 99.0);
    std::printf("ratio random_token_vs_valid_latency %.2f goal <= 1.5\n",
                validMedian > 0 && randomMedian > 0 ? randomMedian / validMedian : 99.0);
    return 0;
}
