#include "modelcircuit.h"

namespace backend {

ModelCircuit::ModelCircuit(std::chrono::seconds pause, Now now)
    : pause_(pause)
    , now_(std::move(now)) {}

std::optional<EngineError> ModelCircuit::refusal() const {
    const auto now = now_();
    const std::lock_guard lock(mutex_);
    if (!failure_ || now >= until_) {
        return std::nullopt;
    }
    const auto left = std::chrono::ceil<std::chrono::seconds>(until_ - now);
    std::string text = "the model server is not asked again for ";
    text += std::to_string(left.count());
    text += " s after it failed: ";
    text += failure_->what();
    return EngineError(text, failure_->kind(), left);
}

std::chrono::seconds ModelCircuit::failed(const EngineError& failure) {
    const auto pause =
        failure.kind() == EngineError::Kind::Busy ? std::max(pause_, failure.retryAfter()) : pause_;
    const auto now = now_();
    const std::lock_guard lock(mutex_);
    failure_ = failure;
    until_ = now + pause;
    return pause;
}

void ModelCircuit::answered() {
    const std::lock_guard lock(mutex_);
    failure_.reset();
}

} // namespace backend
