// Two quorvane-backend processes on one PostgreSQL database, as behind a load balancer: a
// client may reach either for any request.
#include "backendprocess.h"
#include "backendprogram.h"
#include "backendworld.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <gtest/gtest.h>
#include <latch>
#include <nlohmann/json.hpp>
#include <thread>

using namespace backend;
using nlohmann::json;

namespace {

const std::string password = "a-long-enough-password";

struct Instance : Endpoint {
    explicit Instance(const std::string& url)
        : process({"--listen", "127.0.0.1:0"}, {"QUORVANE_STORE_URL=" + url}) {
        port = process.apiPort();
        caPem = process.caPem();
    }

    BackendProcess process;
};

// A session started on `start` and signed in there: its id.
std::string signedIn(const Instance& start, const std::string& from = "127.0.0.1") {
    const auto [id, code] = start.startSession();
    EXPECT_EQ(start.login(code, "ann%40example.org", password, from), 303);
    return id;
}

class SharedStoreTest : public testing::Test {
protected:
    SharedStoreTest() { addAnn(database.url(), password); }

    TestDatabase database;
    Instance a{database.url()};
    Instance b{database.url()};
};

// Failures count across instances; a sign-in on A is collected on B; a chat started on B
// continues on both at once and keeps every turn; the export command sees it all.
TEST_F(SharedStoreTest, OneDeploymentAcrossInstances) {
    // Alternating, neither instance alone meets its free failures, so a lock means they counted
    // together; each failure doubles the lock, so one is met even when guesses take seconds.
    std::vector<std::string> codes(2 * SignInThrottle::freeFailures - 1);
    for (std::string& code : codes) {
        code = a.startSession().code;
    }
    std::vector<int> statuses;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        statuses.push_back(
            (i % 2 == 0 ? a : b).login(codes[i], "ann%40example.org", "guess", "127.0.0.2"));
    }
    EXPECT_TRUE(std::ranges::all_of(statuses, [](int s) { return s == 401 || s == 429; }));
    const auto firstLock = std::ranges::find(statuses, 429) - statuses.begin();
    EXPECT_GE(firstLock, SignInThrottle::freeFailures);
    EXPECT_LT(firstLock, std::ssize(statuses)) << "the instances' failures counted together";

    const std::string token = b.collect(signedIn(a, "127.0.0.3"));
    EXPECT_EQ(a.me(token), "ann@example.org");

    const json chat = json::parse(
        b.send("POST", "/api/v1/chat/start", R"({"email_content":"Lunch is at noon."})", token)
            .body)["response"];
    const json turn = {{"assistantId", chat["assistantId"]},
                       {"threadId", chat["threadId"]},
                       {"content", "When is lunch?"}};
    constexpr int turnsEach = 10;
    std::atomic<int> answered = 0;
    const auto talk = [&](const Instance& on) {
        auto client = on.client();
        for (int i = 0; i < turnsEach; ++i) {
            answered += client.ask("POST", "/api/v1/chat/send", turn.dump(), token).status == 200;
        }
    };
    {
        std::jthread first(talk, std::cref(a));
        std::jthread second(talk, std::cref(b));
    }
    EXPECT_EQ(answered, 2 * turnsEach);
    pg::Connection db(database.url());
    auto turns = db.prepare("SELECT count(*) FROM chat_turns WHERE thread_id = $1");
    ASSERT_TRUE(turns.bind(1, chat["threadId"].get<std::string>()).step());
    EXPECT_EQ(turns.integer(0), 2 * turnsEach);

    for (const Instance* on : {&a, &b}) {
        EXPECT_EQ(on->send("POST", "/api/v1/create-training-data",
                           R"({"question":"q","answer":"from )" + std::to_string(on->port) + "\"}",
                           token)
                      .status,
                  200);
    }
    // No data folder: a shared database is all the commands need.
    const auto none = std::filesystem::temp_directory_path() /
                      ("qv-none-" + database.url().substr(database.url().rfind('/') + 1));
    const ProgramRun exported = runBackend("export-training", none, "", database.url());
    EXPECT_EQ(exported.exitCode, 0) << exported.output;
    for (const Instance* on : {&a, &b}) {
        EXPECT_NE(exported.output.find("from " + std::to_string(on->port)), std::string::npos)
            << exported.output;
    }
}

// A client polls again while a poll is on its way, possibly through the other instance: of 200
// polls racing for one signed-in session, one gets the token and the rest hear it is gone.
TEST_F(SharedStoreTest, TwoHundredConcurrentPollsGetTheTokenOnce) {
    const std::string id = signedIn(a);
    constexpr int clients = 40;
    constexpr int pollsEach = 5;
    std::latch ready(clients);
    std::atomic<int> tokens = 0;
    std::atomic<int> gone = 0;
    {
        std::vector<std::jthread> threads;
        threads.reserve(clients);
        for (int i = 0; i < clients; ++i) {
            threads.emplace_back([&, i] {
                auto client = (i % 2 == 0 ? a : b).client();
                ready.arrive_and_wait();
                for (int n = 0; n < pollsEach; ++n) {
                    const auto poll = client.ask("GET", Endpoint::sessions + id);
                    tokens += Endpoint::tokenIn(poll).empty() ? 0 : 1;
                    gone += poll.status == 404 ? 1 : 0;
                }
            });
        }
    }
    EXPECT_EQ(tokens, 1);
    EXPECT_EQ(gone, clients * pollsEach - 1);
}

// The database restarts under load: requests in the meantime get 503 with a JSON error, and
// both instances answer again afterwards, without a restart of their own.
TEST(SharedStoreRestartTest, ADatabaseRestartGives503sThenAnswers) {
    const TestServer server;
    const TestDatabase database(server.stateFile());
    const std::string token = addAnn(database.url(), password);
    Instance a(database.url());
    Instance b(database.url());

    std::atomic<bool> restarted = false;
    std::thread restart([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        server.restart();
        restarted = true;
    });
    int unavailable = 0;
    int answeredAfter = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (int i = 0; i < 2000 && answeredAfter < 20 && std::chrono::steady_clock::now() < deadline;
         ++i) {
        const bool wasRestarted = restarted;
        const auto answer = (i % 2 == 0 ? a : b).send("GET", "/api/v1/me", "", token);
        if (answer.status == 503) {
            ++unavailable;
            EXPECT_EQ(json::parse(answer.body)["error"],
                      "the database is unavailable; try again shortly");
            EXPECT_EQ(answer.headers.at("retry-after"), "1");
        } else {
            ASSERT_EQ(answer.status, 200) << answer.body;
        }
        answeredAfter += wasRestarted && answer.status == 200 ? 1 : 0;
    }
    restart.join();
    std::printf("%d answers of 503 around the restart\n", unavailable);
    EXPECT_GT(unavailable, 0);
    EXPECT_EQ(answeredAfter, 20);
    for (Instance* on : {&a, &b}) {
        const std::string logged = on->process.lineAfter("store unavailable: ");
        EXPECT_FALSE(logged.empty());
        EXPECT_EQ(logged.find(database.url()), std::string::npos) << logged;
    }
}

} // namespace
