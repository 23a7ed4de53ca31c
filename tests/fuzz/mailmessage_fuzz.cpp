#include "linewrap.h"
#include "messageparser.h"
#include "require.h"
#include "storedform.h"

namespace {

QByteArray withoutLineBreaks(QByteArrayView bytes) {
    return bytes.toByteArray().removeIf([](char c) { return c == '\r' || c == '\n'; });
}

} // namespace

// Any bytes as a message file in a mail folder. The stored form only drops line-break bytes,
// and none of its header lines is a continuation.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView file(data, static_cast<qsizetype>(size));
    const QByteArray stored = storedForm(file);
    require(withoutLineBreaks(stored) == withoutLineBreaks(file),
            "the stored form only drops line breaks");
    const QByteArrayView head = QByteArrayView(stored).first(headerBlockLength(stored));
    require(!head.contains(QByteArrayView("\n ")) && !head.contains(QByteArrayView("\n\t")),
            "header fields are unfolded");

    const std::variant<MailMessage, MessageError> parsed = parseMessage(file);
    if (const auto* error = std::get_if<MessageError>(&parsed)) {
        require(!error->reason.isEmpty(), "a refused file says why");
        return 0;
    }
    const MailMessage& message = std::get<MailMessage>(parsed);
    require(message.raw == stored, "the message keeps the stored form");
    require(!message.headerMap.empty(), "a message has header fields");
    for (const auto& [name, values] : message.headerMap) {
        require(!name.isEmpty() && name == name.toLower(), "field names are lower case");
        require(!values.isEmpty(), "a listed field has a value");
    }
    for (const QString& line : quoted(readableText(message))) {
        require(line.startsWith(QLatin1String("> ")) && line.size() <= kQuoteColumns,
                "a quoted line is marked and fits its columns");
    }
    return 0;
}
