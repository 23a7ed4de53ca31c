#pragma once

#include <string>

namespace backend {

/// A failure of an engine that the caller reports to the client as a bad gateway.
struct EngineError {
    std::string message;
};

/// Produces summaries, replies and chat answers for a mail message.
class Engine {
public:
    virtual ~Engine() = default;
    [[nodiscard]] virtual std::string summarize(const std::string& mail) = 0;
    /// A reply to `mail` signed with `userName`.
    [[nodiscard]] virtual std::string reply(const std::string& mail,
                                            const std::string& userName) = 0;
    [[nodiscard]] virtual std::string chat(const std::string& mail,
                                           const std::string& question) = 0;
};

} // namespace backend
