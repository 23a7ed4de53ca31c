#pragma once

#include <cstdint>

namespace backend {

/// Wall-clock seconds; tests put in a clock they move by hand.
class Clock {
public:
    virtual ~Clock() = default;
    [[nodiscard]] virtual std::int64_t now() const = 0;
};

/// The system clock.
class SystemClock final : public Clock {
public:
    [[nodiscard]] std::int64_t now() const override;
};

} // namespace backend
