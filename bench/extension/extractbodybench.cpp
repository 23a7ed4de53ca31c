// extractBody against the least any extraction must do to give the same result. Prints
// throughputs and their ratio.
#include "stores/extractbody.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <simdjson.h>

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

/// The least work that gives extractBody's result: validate the whole message with a SIMD
/// validator, find the blank line, convert the body to a QString and trim it in place.
std::size_t baseline(const QByteArray& raw) {
    const auto size = static_cast<std::size_t>(raw.size());
    if (!simdjson::validate_utf8(raw.constData(), size)) {
        return 0;
    }
    const void* found = memmem(raw.constData(), size, "\n\n", 2);
    if (found == nullptr) {
        return 0;
    }
    const qsizetype split = static_cast<const char*>(found) - raw.constData() + 2;
    return static_cast<std::size_t>(
        QString::fromUtf8(QByteArrayView(raw).sliced(split)).trimmed().size());
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
    std::printf("ratio extract_body_%s_throughput %.2f goal >= 0.8\n", name, floor / ours);
}

} // namespace

int main() {
    compare("1mb", qsizetype{1024} * 1024, 200);
    compare("64mb", qsizetype{64} * 1024 * 1024, 5);
    return 0;
}
