#pragma once

#include <condition_variable>
#include <filesystem>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

/// What TestHttpsServer cannot script yet: a certificate past its end, and answers that stall
/// or are reset once their headers are out. One request per connection, on 127.0.0.1.
class FaultServer {
public:
    enum class Misbehaviour { None, StallAfterHeaders, StallMidBody, ResetMidBody };

    /// A server certificate valid for `validDays` from now; negative days make it expired.
    explicit FaultServer(int validDays);
    ~FaultServer();
    FaultServer(const FaultServer&) = delete;
    FaultServer& operator=(const FaultServer&) = delete;

    [[nodiscard]] std::string baseUrl() const;
    [[nodiscard]] const std::filesystem::path& certificateAuthorityFile() const;
    /// Answers `path` with status 200 and `body`, sent as `misbehaviour` says.
    void on(const std::string& path, std::string body,
            Misbehaviour misbehaviour = Misbehaviour::None);

    struct State;

private:
    std::shared_ptr<State> state_;
};
