#pragma once

#include "clock.h"

/// A clock that tests move by hand.
class ManualClock final : public backend::Clock {
public:
    [[nodiscard]] std::int64_t now() const override { return now_; }
    void advance(std::int64_t seconds) { now_ += seconds; }

private:
    std::int64_t now_ = 1'700'000'000;
};
