#pragma once

#include <string>

/// A database of its own on the test run's PostgreSQL server, dropped when this goes. The
/// server is the one the ctest fixture started, named by the state file in
/// QUORVANE_TEST_POSTGRES; `stateFile` names another.
class TestDatabase {
public:
    TestDatabase();
    explicit TestDatabase(const std::string& stateFile);
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    [[nodiscard]] const std::string& url() const { return url_; }

private:
    std::string serverUrl_;
    std::string name_;
    std::string url_;
};

/// A PostgreSQL server of a test's own, for what would disturb the shared one: started in the
/// constructor, stopped in the destructor.
class TestServer {
public:
    enum class Durability { Off, AsDeployed };
    /// A test needs no flush to disk: a crash of the machine is not what it tries.
    explicit TestServer(Durability durability = Durability::Off);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    [[nodiscard]] const std::string& stateFile() const { return state_; }
    /// A fast shutdown, which ends every session, then a start on the same port.
    void restart() const;

private:
    std::string state_;
};
