// 64 keep-alive clients on 127.0.0.1: throughput and latency of /api/v1/summarize with the
// extractive engine on a 20 KB message, against the same request to a path no route serves:
// the transport floor of this machine, which no engine can pass. The two alternate, so that a
// change in the machine's load falls on both alike; the ratio is of their medians.
#include "allocator.h"
#include "backendworld.h"
#include "reportingfailure.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <latch>
#include <nlohmann/json.hpp>
#include <thread>
#include <vector>

using namespace backend;
using Steady = std::chrono::steady_clock;

namespace {

constexpr int clients = 64;
constexpr int requestsPerClient = 100;
constexpr int rounds = 3;

struct Result {
    double perSecond = 0;
    double p50 = 0;
    double p99 = 0;
    int failures = 0;
};

Result run(std::uint16_t port, const std::string& ca, const std::string& raw, int status = 200) {
    std::vector<std::vector<double>> latencies(clients);
    std::vector<int> failures(clients, 0);
    // The clock starts once every client has connected: TLS handshakes are not requests.
    std::latch connected(clients);
    std::latch go(1);
    std::vector<std::thread> threads;
    threads.reserve(clients);
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            LoopbackClient client(port, ca);
            connected.count_down();
            go.wait();
            for (int i = 0; i < requestsPerClient; ++i) {
                const auto begin = Steady::now();
                if (client.send(raw).status != status) {
                    ++failures[c];
                    return;
                }
                latencies[c].push_back(
                    std::chrono::duration<double, std::milli>(Steady::now() - begin).count());
            }
        });
    }
    connected.wait();
    const auto start = Steady::now();
    go.count_down();
    for (auto& t : threads) {
        t.join();
    }
    const double seconds = std::chrono::duration<double>(Steady::now() - start).count();
    std::vector<double> all;
    Result result;
    for (int c = 0; c < clients; ++c) {
        all.insert(all.end(), latencies[c].begin(), latencies[c].end());
        result.failures += failures[c];
    }
    std::sort(all.begin(), all.end());
    result.perSecond = static_cast<double>(all.size()) / seconds;
    if (!all.empty()) {
        result.p50 = all[all.size() / 2];
        result.p99 = all[std::min(all.size() - 1, all.size() * 99 / 100)];
    }
    return result;
}

void report(const char* name, const Result& r) {
    std::printf("%-9s %.0f req/s p50 %.2f ms p99 %.2f ms failures %d\n", name, r.perSecond, r.p50,
                r.p99, r.failures);
}

void measure() {
    backend::keepFreedMemoryForRequests(); // as the server does
    BackendWorld world;
    world.serve();
    const std::string token = world.signIn();
    using C = LoopbackClient::Connection;
    const std::string body = nlohmann::json{{"content", mailOfSize(std::size_t{20} * 1024)}}.dump();
    const std::string summarize =
        LoopbackClient::request("POST", "/api/v1/summarize", body, token, C::KeepAlive);
    // Read whole and answered before any work: the most that any engine could reach on this
    // machine. A request refused at the token check would end its connection instead.
    const std::string refused =
        LoopbackClient::request("POST", "/api/v1/nowhere", body, token, C::KeepAlive);
    std::vector<Result> s;
    std::vector<Result> r;
    for (int round = 0; round < rounds; ++round) {
        s.push_back(run(world.port, world.caPem, summarize));
        r.push_back(run(world.port, world.caPem, refused, 404));
    }
    const auto median = [](std::vector<Result>& results) {
        std::sort(results.begin(), results.end(),
                  [](const Result& a, const Result& b) { return a.perSecond < b.perSecond; });
        return results[results.size() / 2];
    };
    const Result summarized = median(s);
    const Result refusedMedian = median(r);
    const auto failed = [](const std::vector<Result>& results) {
        return std::any_of(results.begin(), results.end(),
                           [](const Result& result) { return result.failures > 0; });
    };
    std::printf("medians of %d alternating runs:\n", rounds);
    report("summarize", summarized);
    report("refused", refusedMedian);
    std::printf("ratio summarize_vs_refused_throughput %.2f goal >= 0.5\n",
                refusedMedian.perSecond > 0 && !failed(s) && !failed(r)
                    ? summarized.perSecond / refusedMedian.perSecond
                    : 0.0);
}

} // namespace

int main() {
    return reportingFailure("server throughput", measure);
}
