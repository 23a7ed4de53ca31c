// 64 reply requests at once through the openai engine to a loopback model server that takes
// 1.0 s per completion, while one client keeps polling a sign-in session and /me: the replies
// must overlap instead of queueing on threads, and the polls must not wait behind them.
#include "authenticator.h"
#include "certificateauthority.h"
#include "httpsserver.h"
#include "loopbackclient.h"
#include "openaiengine.h"
#include "router.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <latch>
#include <nlohmann/json.hpp>
#include <thread>
#include <vector>

using namespace backend;
using Steady = std::chrono::steady_clock;

namespace {

constexpr int clients = 64;
constexpr auto modelDelay = std::chrono::milliseconds(1000);

// Answers each completion after the model's delay from one thread: any number wait at once.
class DelayedAnswers {
public:
    DelayedAnswers()
        : thread_([this] { run(); }) {}
    ~DelayedAnswers() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    void add(Respond respond) {
        {
            const std::lock_guard lock(mutex_);
            due_.emplace_back(Steady::now() + modelDelay, std::move(respond));
        }
        wake_.notify_all();
    }

private:
    void run() {
        std::unique_lock lock(mutex_);
        while (!stopping_) {
            if (due_.empty()) {
                wake_.wait(lock);
                continue;
            }
            if (wake_.wait_until(lock, due_.front().first) == std::cv_status::timeout) {
                Respond respond = std::move(due_.front().second);
                due_.pop_front();
                respond({200,
                         "application/json",
                         R"({"choices":[{"message":{"role":"assistant","content":"Done."}}]})",
                         {}});
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::pair<Steady::time_point, Respond>> due_;
    bool stopping_ = false;
    std::thread thread_;
};

ServerOptions serverOptions(const tls::KeyAndCertificate& cert) {
    ServerOptions options;
    options.port = 0;
    options.certificatePem = cert.certificatePem;
    options.keyPem = cert.keyPem;
    return options;
}

} // namespace

int main() {
    const auto dir = std::filesystem::temp_directory_path() / "qv-bench-concurrent";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    double repliesSeconds = 0;
    double slowestPollMs = 0;
    int failures = 0;
    int polls = 0;
    {
        EventLoop loop(2);
        const auto ca = tls::makeCertificateAuthority("bench CA", 1);
        const auto cert = tls::issueServerCertificate(ca, {"127.0.0.1"}, 1);
        std::ofstream(dir / "ca.pem") << ca.certificatePem;

        // The model server has threads of its own, as it would on its own machine.
        EventLoop modelLoop(1);
        DelayedAnswers delayed;
        HttpsServer model(modelLoop, serverOptions(cert), [](const std::string&) {});
        const std::uint16_t modelPort = model.bind();
        model.start([&delayed](HttpRequest, Respond respond) { delayed.add(std::move(respond)); });

        Store store(dir / "backend.sqlite");
        SystemClock clock;
        Authenticator auth(store, clock, {1024, 8, 1});
        auth.addAccount("ann@example.org", "Ann Lee", "pw");
        OpenAiEngine engine(loop, {"https://127.0.0.1:" + std::to_string(modelPort), "bench", "",
                                   std::chrono::seconds(10), (dir / "ca.pem").string()});
        WorkPool workers(std::max(2u, std::thread::hardware_concurrency()), 4096);
        WorkPool hashing(1, 64);
        Router router(store, auth, engine, clock, {workers, hashing}, {},
                      [](const std::string&) {});
        const std::string login = auth.createSession();
        (void)auth.login(login, "ann@example.org", "pw", "");
        const std::string token = auth.poll(login).token;
        const std::string pending = auth.createSession();

        HttpsServer server(loop, serverOptions(cert), [](const std::string&) {});
        const std::uint16_t port = server.bind();
        server.start([&](HttpRequest r, Respond respond) {
            router.handle(std::move(r), std::move(respond));
        });

        using C = LoopbackClient::Connection;
        const std::string reply = LoopbackClient::request(
            "POST", "/api/v1/response", R"({"content":"Can you send the slides by Friday?"})",
            token, C::KeepAlive);
        const std::string poll = LoopbackClient::request(
            "GET", "/plugin-auth/session-request/" + pending, "", "", C::KeepAlive);
        const std::string me =
            LoopbackClient::request("GET", "/api/v1/me", "", token, C::KeepAlive);

        // A first round, not timed, opens the kept-alive connections to the model server.
        std::latch connected(clients + 1);
        std::latch go(1);
        std::atomic<int> answered = 0;
        std::atomic<int> failed = 0;
        std::vector<std::thread> threads;
        for (int c = 0; c < clients; ++c) {
            threads.emplace_back([&] {
                LoopbackClient client(port, ca.certificatePem);
                failed += client.send(reply).status == 200 ? 0 : 1;
                connected.count_down();
                go.wait();
                ++(client.send(reply).status == 200 ? answered : failed);
            });
        }
        std::thread poller([&] {
            LoopbackClient client(port, ca.certificatePem);
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
                slowestPollMs = std::max(
                    slowestPollMs,
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
        repliesSeconds = std::chrono::duration<double>(Steady::now() - start).count();
        poller.join();
        failures = failed;
        server.stop();
        model.stop();
        loop.stop();
        modelLoop.stop();
    }
    std::filesystem::remove_all(dir);
    std::printf("%d replies in %.3f s with a model delay of %.1f s; %d polls, slowest %.1f ms; "
                "failures %d\n",
                clients, repliesSeconds, std::chrono::duration<double>(modelDelay).count(), polls,
                slowestPollMs, failures);
    std::printf("ratio concurrent_replies_vs_model_delay %.2f goal <= 1.5\n",
                failures == 0 ? repliesSeconds / std::chrono::duration<double>(modelDelay).count()
                              : 99.0);
    std::printf("ratio poll_latency_under_model_load_ms %.1f goal <= 50\n",
                failures == 0 ? slowestPollMs : 9999.0);
    return 0;
}
