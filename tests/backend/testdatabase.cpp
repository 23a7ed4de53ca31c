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
        throw std::runtime_error(std::string("no PostgreSQL test server: ")
                                     .append(stateFile)
                                     .append(" is missing; run the tests through ctest"));
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
    std::string command = QUORVANE_POSTGRES_SERVER " ";
    command += arguments;
    if (std::system(command.c_str()) != 0) {
        throw std::runtime_error(command + " failed");
    }
}

} // namespace

TestDatabase::TestDatabase()
    : TestDatabase(fixtureState()) {}

TestDatabase::TestDatabase(const std::string& stateFile)
    : serverUrl_(serverUrl(stateFile))
    , name_(std::string("qv_").append(backend::secrets::randomHex(8))) {
    pg::Connection(serverUrl_).exec(std::string("CREATE DATABASE ").append(name_));
    url_ = serverUrl_.substr(0, serverUrl_.rfind('/') + 1) + name_;
}

TestDatabase::~TestDatabase() {
    try {
        pg::Connection(serverUrl_)
            .exec(std::string("DROP DATABASE ").append(name_).append(" WITH (FORCE)"));
    } catch (const std::exception&) {
        // The server may be restarting in a test of that; the run's end removes it all.
    }
}

TestServer::TestServer(Durability durability)
    : state_(std::string("/tmp/qv-server-")
                 .append(std::to_string(::getpid()))
                 .append("-")
                 .append(backend::secrets::randomHex(4))) {
    script(std::string("start ").append(state_).append(
        durability == Durability::Off ? " -c fsync=off" : ""));
}

TestServer::~TestServer() {
    try {
        script(std::string("stop ").append(state_));
    } catch (const std::exception&) {
        // Stopping never fails: the script ignores a server that is already gone.
    }
}

void TestServer::restart() const {
    script(std::string("restart ").append(state_));
}
