#pragma once

// Every target's entry point takes std::uint8_t and std::size_t.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

/// Ends the run as a finding when a decoder breaks its promise, so that libFuzzer keeps the
/// input that showed it.
inline void require(bool holds, const char* promise) {
    if (!holds) {
        std::fprintf(stderr, "broken promise: %s\n", promise);
        std::abort();
    }
}
