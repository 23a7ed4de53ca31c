#include "testdatabase.h"

#include "postgresdatabase.h"
#include "secrets.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace {

std::string serverUrl(const std::string& stateFile) {
    std::ifstream state(stateFile);
    std::string folder, url;
    if (!std::getline(state, folder) || !std::getline(state, url)) {
        throw std::runtime_error("no PostgreSQL test server: " + stateFile +
                                 " is missing; run the tests through ctest");
    }
    return url;
}

std::string fixtureState() {
    const char* state = std::getenv("QUORVANE_TEST_POSTGRES");
    if (state == nullptr) {
        throw std::runtime_error("QUORVANE_TEST_POSTGRES is not set; run the tests through ctest");
    }
    return state;
}

void script(const std::string& arguments) {
    if (std::system((QUORVANE_POSTGRES_SERVER " " + arguments).c_str()) != 0) {
        throw std::runtime_error("postgres-server " + arguments + " failed");
    }
}

} // namespace

TestDatabase::TestDatabase()
    : TestDatabase(fixtureState()) {}

TestDatabase::TestDatabase(const std::string& stateFile)
    : serverUrl_(serverUrl(stateFile))
    , name_("qv_" + backend::secrets::randomHex(8)) {
    pg::Connection(serverUrl_).exec("CREATE DATABASE " + name_);
    url_ = serverUrl_.substr(0, serverUrl_.rfind('/') + 1) + name_;
}

TestDatabase::~TestDatabase() {
    try {
        pg::Connection(serverUrl_).exec("DROP DATABASE " + name_ + " WITH (FORCE)");
    } catch (const std::exception&) {
        // The server may be restarting in a test of that; the run's end removes it all.
    }
}

void TestDatabase::exec(const std::string& sql) const {
    pg::Connection(url_).exec(sql);
}

TestServer::TestServer()
    : state_(std::string("/tmp/qv-server-") + std::to_string(::getpid()) + "-" +
             backend::secrets::randomHex(4)) {
    script("start " + state_ + " -c fsync=off");
}

TestServer::~TestServer() {
    std::system((QUORVANE_POSTGRES_SERVER " stop " + state_).c_str());
}

void TestServer::restart() const {
    script("restart " + state_);
}
