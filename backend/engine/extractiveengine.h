#pragma once

#include "engine.h"

namespace backend {

/// The embedded engine: ranks the message's own sentences; deterministic and n log n.
class ExtractiveEngine final : public Engine {
public:
    [[nodiscard]] std::string summarize(const std::string& mail) override;
    [[nodiscard]] std::string reply(const std::string& mail, const std::string& userName) override;
    [[nodiscard]] std::string chat(const std::string& mail, const std::string& question) override;
};

} // namespace backend
