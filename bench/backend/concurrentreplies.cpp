// 64 reply requests at once through the openai engine to a loopback model server that takes
// 1.0 s per completion, while one client keeps polling a sign-in session and /me: the replies
// must overlap instead of queueing on threads, and the polls must not wait behind them.
#include "allocator.h"
#include "backendworld.h"
#include "openaiengine.h"
#include "testhttpsserver.h"

#include <atomic>
#include <cstdio>
#include <latch>
#include <thread>
#include <vector>

using namespace backend;
using Steady = std::chrono::steady_clock;

namespace {

constexpr int clients = 64;
constexpr auto modelDelay = std::chrono::milliseconds(1000);

} // namespace

int main() {
    backend::keepFreedMemoryForRequests(); // as the server does
    // The model server has threads of its own, as it would on its own machine.
    TestHttpsServer model;
    model.on("/v1/chat/completions",
             ScriptedReply{200, R"({"choices":[{"message":{"content":"Done."}}]})",
                           "application/json", modelDelay});
    EventLoop engineLoop(2);
    OpenAiOptions options;
    options.url = model.baseUrl();
    options.model = "bench";
    options.timeout = std::chrono::seconds(10);
    options.caFile = model.certificateAuthorityFile().string();
    OpenAiEngine engine(engineLoop, options);
    BackendWorld world(&engine);
    world.serve();
    const std::string token = world.signIn();
    const std::string pending = world.auth->createSession().id;

    using C = LoopbackClient::Connection;
    const std::string reply = LoopbackClient::request(
        "POST", "/api/v1/response", R"({"content":"Can you send the slides by Friday?"})", token,
        C::KeepAlive);
    const std::string poll = LoopbackClient::request(
        "GET", "/plugin-auth/session-request/" + pending, "", "", C::KeepAlive);
    const std::string me = LoopbackClient::request("GET", "/api/v1/me", "", token, C::KeepAlive);

    // A first round, not timed, opens the kept-alive connections to the model server.
    std::latch connected(clients + 1);
    std::latch go(1);
    std::atomic<int> answered = 0;
    std::atomic<int> failed = 0;
    std::vector<std::thread> threads;
    threads.reserve(clients);
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&] {
            auto client = world.client();
            failed += client.send(reply).status == 200 ? 0 : 1;
            connected.count_down();
            go.wait();
            ++(client.send(reply).status == 200 ? answered : failed);
        });
    }
    double slowestPollMs = 0;
    int polls = 0;
    std::thread poller([&] {
        auto client = world.client();
        connected.count_down();
        go.wait();
        // Bounded in count and time: at most 200 polls, while the replies are in flight.
        const auto until = Steady::now() + 3 * modelDelay;
        for (int i = 0; i < 200 && answered + failed < clients && Steady::now() < until; ++i) {
            const auto begin = Steady::now();
            if (client.send(i % 2 == 0 ? poll : me).status != 200) {
                ++failed;
                return;
            }
            slowestPollMs =
                std::max(slowestPollMs,
                         std::chrono::duration<double, std::milli>(Steady::now() - begin).count());
            ++polls;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    connected.wait();
    const auto start = Steady::now();
    go.count_down();
    for (auto& t : threads) {
        t.join();
    }
    const double repliesSeconds = std::chrono::duration<double>(Steady::now() - start).count();
    poller.join();
    const double delaySeconds = std::chrono::duration<double>(modelDelay).count();
    std::printf("%d replies in %.3f s with a model delay of %.1f s; %d polls, slowest %.1f ms; "
                "failures %d\n",
                clients, repliesSeconds, delaySeconds, polls, slowestPollMs, failed.load());
    std::printf("ratio concurrent_replies_vs_model_delay %.2f goal <= 1.5\n",
                failed == 0 ? repliesSeconds / delaySeconds : 99.0);
    std::printf("ratio poll_latency_under_model_load_ms %.1f goal <= 50\n",
                failed == 0 ? slowestPollMs : 9999.0);
    return 0;
}
