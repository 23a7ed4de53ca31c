#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

/// One request as the server received it.
struct RecordedRequest {
    std::string method;
    std::string target;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    /// The path without the query.
    [[nodiscard]] std::string path() const;
    /// The first value of a header, by case-insensitive name.
    [[nodiscard]] std::optional<std::string> header(const std::string& name) const;
};

/// What the server does with one request.
struct ScriptedReply {
    enum class Fault {
        None,
        DropConnection,    // closes the connection without answering
        StallMidBody,      // announces the whole body, sends half of it and falls silent
        ResetMidBody,      // announces the whole body, sends half of it and resets the connection
        StallAfterHeaders, // announces the whole body, sends none of it and falls silent
        Trickle,           // announces the whole body and sends it a byte every 50 ms
    };
    int status = 200;
    std::string body = "{}";
    std::string contentType = "application/json";
    std::chrono::milliseconds delay{0};
    Fault fault = Fault::None;
    /// Further header fields, as "Name: value" lines without their line end.
    std::vector<std::string> headers = {};
};

/// How the server presents itself.
struct TestHttpsServerOptions {
    /// Days the server's certificate is valid from now; a negative number makes it expired.
    int certificateDays = 2;
};

/// An HTTPS/1.1 server on 127.0.0.1 with a certificate made for the test run. Each connection
/// is served on a thread of its own, so slow answers overlap.
class TestHttpsServer {
public:
    explicit TestHttpsServer(TestHttpsServerOptions options = {});
    ~TestHttpsServer();
    TestHttpsServer(const TestHttpsServer&) = delete;
    TestHttpsServer& operator=(const TestHttpsServer&) = delete;

    /// "https://127.0.0.1:<port>"
    [[nodiscard]] std::string baseUrl() const;
    /// The PEM file of the authority that signed the server's certificate.
    [[nodiscard]] const std::filesystem::path& certificateAuthorityFile() const;

    /// Answers requests for `path` with the replies in turn; the last one keeps answering.
    /// Paths without replies get 404.
    void on(const std::string& path, std::vector<ScriptedReply> replies);
    void on(const std::string& path, ScriptedReply reply) {
        on(path, std::vector{std::move(reply)});
    }

    [[nodiscard]] std::vector<RecordedRequest> requests() const;
    [[nodiscard]] std::vector<RecordedRequest> requestsTo(const std::string& path) const;

    struct State;

private:
    std::shared_ptr<State> state_;
};
