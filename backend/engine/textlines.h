#pragma once

#include <algorithm>
#include <string_view>

namespace backend {

/// Calls `onLine` with each line of `text` without its LF or CR LF, in order, until it
/// returns false.
template <typename OnLine> void forEachLine(std::string_view text, OnLine onLine) {
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (!onLine(line)) {
            return;
        }
    }
}

} // namespace backend
