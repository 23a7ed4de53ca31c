#pragma once

#include "engine.h"

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>

namespace backend {

/// Keeps a model server that just failed from being waited on again: for a pause after it
/// failed, calls are refused at once with the reason, so that a client's retries cost seconds.
/// Safe to use from any thread.
class ModelCircuit {
public:
    using Now = std::function<std::chrono::steady_clock::time_point()>;

    ModelCircuit(std::chrono::seconds pause, Now now);

    /// Why a call now is refused; nothing when the server may be asked.
    [[nodiscard]] std::optional<EngineError> refusal() const;
    /// Pauses for the usual time, or longer when a busy server asked for longer; returns the
    /// pause.
    std::chrono::seconds failed(const EngineError& failure);
    void answered();

private:
    std::chrono::seconds pause_;
    Now now_;
    mutable std::mutex mutex_;
    std::optional<EngineError> failure_;
    std::chrono::steady_clock::time_point until_;
};

} // namespace backend
