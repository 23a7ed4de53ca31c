#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <vector>

namespace bench {

/// The middle of `values`, the upper one of an even count; 0 when there are none.
[[nodiscard]] inline double median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

/// The seconds that `work` takes by `Clock`.
template <typename Clock = std::chrono::steady_clock, typename Work>
[[nodiscard]] double secondsOf(Work&& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

/// The line that scripts/run-benchmarks sums up against its goal, e.g. `"<= 1.5"`.
inline void printRatio(const char* name, double value, const char* goal) {
    std::printf("ratio %s %.2f goal %s\n", name, value, goal);
}

} // namespace bench
