#include "clock.h"

#include <chrono>

namespace backend {

std::int64_t SystemClock::now() const {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace backend
