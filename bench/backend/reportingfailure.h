#pragma once

#include <cstdio>
#include <exception>

/// Runs a benchmark's `measure`; when its set-up fails (a database server that does not start,
/// a port in use) it says why and gives 1, where an uncaught exception would abort with a core.
template <typename Measure> int reportingFailure(const char* name, Measure measure) {
    try {
        measure();
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", name, error.what());
        return 1;
    }
}
