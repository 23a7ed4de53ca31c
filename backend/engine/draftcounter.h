#pragma once

#include <cstddef>
#include <mutex>
#include <string_view>
#include <unordered_map>

namespace backend {

/// Counts the replies drafted for each person and mail, so that the next one can be worded
/// anew. Keeps only a digest of each pair, and forgets them all past a bound: a count lost
/// only starts that mail's wording over. Safe to use from any thread.
class DraftCounter {
public:
    /// How many replies were drafted before this one for `userName` and `mail`: 0 for the first.
    [[nodiscard]] std::size_t next(std::string_view userName, std::string_view mail);

private:
    static constexpr std::size_t kMostPairs = 4096;

    std::mutex mutex_;
    std::unordered_map<std::size_t, std::size_t> drafted_;
};

} // namespace backend
