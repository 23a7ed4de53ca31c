#include "storedform.h"

#include <cstring>

namespace {

QByteArray withLineFeeds(QByteArrayView file) {
    QByteArray out;
    out.reserve(file.size());
    const char* at = file.data();
    const char* const end = at + file.size();
    while (at < end) {
        const auto* cr = static_cast<const char*>(std::memchr(at, '\r', end - at));
        if (cr == nullptr) {
            out.append(at, end - at);
            break;
        }
        out.append(at, cr - at);
        // A lone CR is data, not a line end.
        if (cr + 1 == end || cr[1] != '\n') {
            out.append('\r');
        }
        at = cr + 1;
    }
    return out;
}

} // namespace

qsizetype headerBlockLength(QByteArrayView stored) {
    if (stored.startsWith('\n')) {
        return 0;
    }
    const qsizetype blank = stored.indexOf(QByteArrayView("\n\n"));
    return blank < 0 ? stored.size() : blank + 1;
}

QByteArray storedForm(QByteArrayView file) {
    QByteArray stored = withLineFeeds(file);
    const qsizetype headers = headerBlockLength(stored);
    // RFC 5322 unfolding: a line end followed by white space joins the two lines.
    qsizetype write = 0;
    for (qsizetype read = 0; read < headers; ++read) {
        const char c = stored[read];
        if (c == '\n' && read + 1 < headers &&
            (stored[read + 1] == ' ' || stored[read + 1] == '\t')) {
            continue;
        }
        stored[write++] = c;
    }
    if (write < headers) {
        stored.remove(write, headers - write);
    }
    return stored;
}
