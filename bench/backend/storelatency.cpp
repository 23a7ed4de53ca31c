// One instance's latency on a PostgreSQL database against the same on its SQLite file: the
// poll that issues a token, /api/v1/me and a chat turn with the extractive engine, through
// HTTPS on loopback. The database server flushes to disk as deployed, as SQLite does.
#include "backendworld.h"
#include "reportingfailure.h"
#include "support/measure.h"

#include <chrono>
#include <cstdio>
#include <nlohmann/json.hpp>

using namespace backend;
using Steady = std::chrono::steady_clock;
using nlohmann::json;

namespace {

constexpr int warmUp = 20;
constexpr int rounds = 200;

struct Instance {
    explicit Instance(BackendWorld& w)
        : world(w)
        , client((w.serve(), w.client())) {}

    double millisecondsOf(const std::string& request, const std::string& expected) {
        const auto begin = Steady::now();
        const auto answer = client.send(request);
        const double ms = std::chrono::duration<double, std::milli>(Steady::now() - begin).count();
        if (answer.status != 200 || answer.body.find(expected) == std::string::npos) {
            std::fprintf(stderr, "unexpected answer %d: %s\n", answer.status, answer.body.c_str());
            std::exit(1);
        }
        last = answer.body;
        return ms;
    }

    // One round: a fresh session signed in, then the three requests; their summed latency.
    double round() {
        using C = LoopbackClient::Connection;
        const auto session = world.auth->createSession();
        (void)world.auth->login(session.loginCode, "ann@example.org", "pw", "");
        double ms = millisecondsOf(
            LoopbackClient::request("GET", "/plugin-auth/session-request/" + session.id, "", "",
                                    C::KeepAlive),
            "access_token\":\"");
        const std::string token = json::parse(last)["access_token"];
        ms += millisecondsOf(LoopbackClient::request("GET", "/api/v1/me", "", token, C::KeepAlive),
                             "ann@example.org");
        if (thread.is_null()) {
            (void)millisecondsOf(LoopbackClient::request("POST", "/api/v1/chat/start",
                                                         R"({"email_content":"Lunch is at noon."})",
                                                         token, C::KeepAlive),
                                 "threadId");
            thread = json::parse(last)["response"];
        }
        const json turn = {{"assistantId", thread["assistantId"]},
                           {"threadId", thread["threadId"]},
                           {"content", "When is lunch?"}};
        return ms + millisecondsOf(LoopbackClient::request("POST", "/api/v1/chat/send", turn.dump(),
                                                           token, C::KeepAlive),
                                   "noon");
    }

    BackendWorld& world;
    LoopbackClient client;
    std::string last;
    json thread;
    std::vector<double> samples;
};

void measure() {
    const TestServer server(TestServer::Durability::AsDeployed);
    const TestDatabase database(server.stateFile());
    BackendWorld sqliteWorld;
    BackendWorld postgresWorld(nullptr, StoreKind::Postgresql, database.url());
    Instance sqlite(sqliteWorld);
    Instance postgres(postgresWorld);
    // Alternating, so that whatever else the machine does falls on both alike.
    for (int i = 0; i < warmUp + rounds; ++i) {
        for (Instance* instance : {&sqlite, &postgres}) {
            const double ms = instance->round();
            if (i >= warmUp) {
                instance->samples.push_back(ms);
            }
        }
    }
    const double onSqlite = bench::median(sqlite.samples);
    const double onPostgres = bench::median(postgres.samples);
    std::printf("poll + me + chat turn, median of %d: SQLite %.2f ms, PostgreSQL %.2f ms\n", rounds,
                onSqlite, onPostgres);
    bench::printRatio("store_postgres_vs_sqlite_latency", onPostgres / onSqlite, "<= 3");
}

} // namespace

int main() {
    return reportingFailure("store latency", measure);
}
