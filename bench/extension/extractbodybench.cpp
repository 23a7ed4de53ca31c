// extractBody against the least any extraction must do over the same bytes: validate UTF-8
// and find the blank line with memmem. Prints throughputs and their ratio.
#include "extractbody.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

/// Mail-like text: mostly ASCII with accented words and the odd emoji.
QByteArray makeMessage(qsizetype bodyBytes) {
    const QByteArray line =
        "Hi team, the caf\xc3\xa9 meeting moves to Tuesday \xe2\x80\x94 "
        "please confirm \xf0\x9f\x91\x8d and bring the r\xc3\xa9sum\xc3\xa9s.\n";
    QByteArray raw = "From: Alice <alice@example.com>\nSubject: Plans\nMessage-ID: <a@x>\n\n";
    raw.reserve(raw.size() + bodyBytes + line.size());
    while (raw.size() < bodyBytes) {
        raw.append(line);
    }
    return raw;
}

bool validUtf8(const unsigned char* p, std::size_t n) {
    std::size_t i = 0;
    while (i < n) {
        if (i + 8 <= n) {
            std::uint64_t word = 0;
            std::memcpy(&word, p + i, 8);
            if ((word & 0x8080808080808080ULL) == 0) {
                i += 8;
                continue;
            }
        }
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        const int length = c >= 0xf0 ? 4 : c >= 0xe0 ? 3 : c >= 0xc2 ? 2 : 0;
        if (length == 0 || c > 0xf4 || i + static_cast<std::size_t>(length) > n) {
            return false;
        }
        for (int k = 1; k < length; ++k) {
            if ((p[i + static_cast<std::size_t>(k)] & 0xc0) != 0x80) {
                return false;
            }
        }
        const unsigned char next = p[i + 1];
        if ((c == 0xe0 && next < 0xa0) || (c == 0xed && next > 0x9f) ||
            (c == 0xf0 && next < 0x90) || (c == 0xf4 && next > 0x8f)) {
            return false;
        }
        i += static_cast<std::size_t>(length);
    }
    return true;
}

std::size_t baseline(const QByteArray& raw) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(raw.constData());
    const auto size = static_cast<std::size_t>(raw.size());
    if (!validUtf8(bytes, size)) {
        return 0;
    }
    const void* found = memmem(bytes, size, "\n\n", 2);
    return found ? size - static_cast<std::size_t>(static_cast<const unsigned char*>(found) - bytes)
                 : 0;
}

/// The best of `rounds` timings, in seconds; `sink` keeps the work from being optimised away.
template <typename Work> double best(int rounds, Work work, std::size_t& sink) {
    double fastest = 1e9;
    for (int r = 0; r < rounds; ++r) {
        const auto start = Clock::now();
        sink += work();
        fastest = std::min(fastest, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return fastest;
}

void compare(const char* name, qsizetype bytes, int rounds) {
    const QByteArray raw = makeMessage(bytes);
    std::size_t sink = 0;
    const double ours = best(
        rounds,
        [&] { return static_cast<std::size_t>(extractBody(raw).value_or(QString()).size()); },
        sink);
    const double floor = best(
        rounds, [&] { return baseline(raw); }, sink);
    const double megabytes = static_cast<double>(raw.size()) / (1024.0 * 1024.0);
    std::printf("extractBody %s: %.0f MB/s, baseline %.0f MB/s (checksum %zu)\n", name,
                megabytes / ours, megabytes / floor, sink);
    std::printf("ratio extract_body_%s_throughput %.2f goal >= 0.5\n", name, floor / ours);
}

} // namespace

int main() {
    compare("1mb", 1024 * 1024, 200);
    compare("64mb", 64 * 1024 * 1024, 5);
    return 0;
}
