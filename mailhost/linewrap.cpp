#include "linewrap.h"

namespace {

/// The markers of a line that is itself quoted: its leading run of '>' and spaces, at most
/// half a line, so that every wrapped line keeps room for text.
qsizetype quoteMarkerLength(QStringView line) {
    if (!line.startsWith(QLatin1Char('>'))) {
        return 0;
    }
    qsizetype length = 0;
    while (length < line.size() && length < kQuoteColumns / 2 &&
           (line[length] == QLatin1Char('>') || line[length] == QLatin1Char(' '))) {
        ++length;
    }
    return length;
}

/// How much of `rest` the next line takes when at most `width` columns fit.
qsizetype pieceLength(QStringView rest, qsizetype width) {
    if (rest.size() <= width) {
        return rest.size();
    }
    const qsizetype space = rest.first(width + 1).lastIndexOf(QLatin1Char(' '));
    if (space > 0) {
        return space;
    }
    return rest[width - 1].isHighSurrogate() ? width - 1 : width;
}

/// Appends `line` as lines of `prefix` and at most `width` columns of its text.
void wrapLine(QStringList& out, QStringView prefix, QStringView line, qsizetype width) {
    do {
        const qsizetype length = pieceLength(line, width);
        QString piece;
        piece.reserve(prefix.size() + length);
        piece += prefix;
        piece += line.first(length);
        out.append(std::move(piece));
        line = line.sliced(length);
        if (line.startsWith(QLatin1Char(' '))) {
            line = line.sliced(1); // the space the line was wrapped at
        }
    } while (!line.isEmpty());
}

} // namespace

QStringList wrapped(QStringView text, qsizetype columns) {
    QStringList out;
    out.reserve(text.size() / columns + 8);
    for (const QStringView line : text.tokenize(QLatin1Char('\n'))) {
        wrapLine(out, {}, line, columns);
    }
    return out;
}

QStringList quoted(QStringView text) {
    QStringList out;
    out.reserve(text.size() / (kQuoteColumns - 8) + 8);
    QString prefix;
    for (const QStringView line : text.tokenize(QLatin1Char('\n'))) {
        const qsizetype markers = quoteMarkerLength(line);
        prefix = QLatin1String("> ");
        prefix += line.first(markers);
        wrapLine(out, prefix, line.sliced(markers), kQuoteColumns - prefix.size());
    }
    return out;
}
