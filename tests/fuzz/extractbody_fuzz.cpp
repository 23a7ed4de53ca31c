#include "require.h"
#include "stores/extractbody.h"

#include <QStringDecoder>

// Any bytes as a message's raw data. The body is there exactly when the bytes are UTF-8 with a
// blank line, and it is the text after that line with only white space taken off its ends.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray raw(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<QString> body = extractBody(raw);

    QStringDecoder whole(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = whole.decode(raw);
    const qsizetype blank = text.indexOf(QStringLiteral("\n\n"));
    require(body.has_value() == (!whole.hasError() && blank >= 0),
            "a body exactly for UTF-8 with a blank line");
    require(!body || *body == text.sliced(blank + 2).trimmed(),
            "the body is the text after the blank line, trimmed");
    return 0;
}
