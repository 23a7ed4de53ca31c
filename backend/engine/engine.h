#pragma once

#include <chrono>
#include <exception>
#include <functional>
#include <string>
#include <variant>

namespace backend {

/// A failure of an engine: the caller reports `Failed` as a bad gateway and `Busy` as a
/// temporary refusal, to be tried again after `retryAfter`. Its text is a plain string:
/// std::runtime_error shares one between copies through counts the thread sanitizer cannot
/// see, and copies of an engine's error end on different threads.
class EngineError : public std::exception {
public:
    enum class Kind { Failed, Busy };
    explicit EngineError(std::string message, Kind kind = Kind::Failed,
                         std::chrono::seconds retryAfter = std::chrono::seconds(1))
        : message_(std::move(message))
        , kind_(kind)
        , retryAfter_(retryAfter) {}
    [[nodiscard]] const char* what() const noexcept override { return message_.c_str(); }
    [[nodiscard]] Kind kind() const { return kind_; }
    [[nodiscard]] std::chrono::seconds retryAfter() const { return retryAfter_; }

private:
    std::string message_;
    Kind kind_;
    std::chrono::seconds retryAfter_;
};

/// The text an engine produced, or why it produced none.
using EngineResult = std::variant<std::string, EngineError>;

/// Produces summaries, replies and chat answers for a mail message. Each call completes by
/// calling `done` once, on the calling thread or later on an I/O thread; it never blocks on
/// a remote server.
class Engine {
public:
    using Done = std::function<void(EngineResult)>;

    virtual ~Engine() = default;
    virtual void summarize(const std::string& mail, Done done) = 0;
    /// A reply to `mail` signed with `userName`.
    virtual void reply(const std::string& mail, const std::string& userName, Done done) = 0;
    virtual void chat(const std::string& mail, const std::string& question, Done done) = 0;
};

} // namespace backend
