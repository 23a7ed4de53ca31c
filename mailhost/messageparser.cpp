#include "messageparser.h"

#include "fromparts.h"
#include "storedform.h"

#include <QStringDecoder>
#include <algorithm>
#include <gmime/gmime.h>
#include <memory>
#include <string>

namespace {

template <typename T> struct GObjectDeleter {
    void operator()(T* object) const { g_object_unref(object); }
};
template <typename T> using GObjectPtr = std::unique_ptr<T, GObjectDeleter<T>>;

void initialiseGMime() {
    static const bool initialised = [] {
        g_mime_init();
        return true;
    }();
    (void)initialised;
}

QString fromUtf8(const char* text) {
    return text ? QString::fromUtf8(text) : QString();
}

GObjectPtr<GMimeMessage> parseMime(QByteArrayView bytes) {
    GObjectPtr<GMimeStream> stream(
        g_mime_stream_mem_new_with_buffer(bytes.data(), static_cast<gsize>(bytes.size())));
    GObjectPtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
    return GObjectPtr<GMimeMessage>(g_mime_parser_construct_message(parser.get(), nullptr));
}

/// Every field of an unfolded header block. GMime keeps the Content- fields with the message's
/// body part, so the fields are read here, in their order, whatever their name.
MEHeaderMap headerFields(const QByteArray& head) {
    MEHeaderMap fields;
    for (const QByteArray& field : head.split('\n')) {
        const QByteArrayView line(field);
        const qsizetype colon = line.indexOf(':');
        const QByteArrayView name = line.first(std::max<qsizetype>(colon, 0));
        const bool printable = std::ranges::all_of(name, [](char c) { return c > ' ' && c < 127; });
        if (name.isEmpty() || !printable) {
            continue;
        }
        fields[QString::fromLatin1(name).toLower()].append(
            QString::fromUtf8(line.sliced(colon + 1)).trimmed());
    }
    return fields;
}

/// The first mailbox of an address list; null when it has none.
InternetAddress* firstMailbox(InternetAddressList* list) {
    if (list == nullptr || internet_address_list_length(list) == 0) {
        return nullptr;
    }
    InternetAddress* first = internet_address_list_get_address(list, 0);
    return INTERNET_ADDRESS_IS_MAILBOX(first) ? first : nullptr;
}

QString addressOf(InternetAddress* mailbox) {
    return fromUtf8(internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(mailbox)));
}

void readSender(GMimeMessage* message, MailMessage& into) {
    if (InternetAddress* from = firstMailbox(g_mime_message_get_from(message))) {
        into.from = MEEmailAddress{addressOf(from)};
        into.senderName = fromUtf8(internet_address_get_name(from));
    }
    if (InternetAddress* replyTo = firstMailbox(g_mime_message_get_reply_to(message))) {
        into.replyTo = addressOf(replyTo);
    }
}

std::optional<QDateTime> readDate(GMimeMessage* message) {
    GDateTime* date = g_mime_message_get_date(message);
    if (date == nullptr) {
        return std::nullopt;
    }
    const auto offset = static_cast<int>(g_date_time_get_utc_offset(date) / G_TIME_SPAN_SECOND);
    return QDateTime::fromSecsSinceEpoch(g_date_time_to_unix(date), Qt::OffsetFromUTC, offset);
}

} // namespace

std::variant<MailMessage, MessageError> parseMessage(QByteArrayView file) {
    initialiseGMime();
    MailMessage message;
    message.raw = storedForm(file);
    const QByteArray head = message.raw.first(headerBlockLength(message.raw)) + '\n';
    message.headerMap = headerFields(head);
    if (message.headerMap.empty()) {
        return MessageError{QStringLiteral("no header fields")};
    }
    const GObjectPtr<GMimeMessage> parsed = parseMime(head);
    if (!parsed) {
        return MessageError{QStringLiteral("not a mail message")};
    }
    message.subjectText = fromUtf8(g_mime_message_get_subject(parsed.get()));
    readSender(parsed.get(), message);
    InternetAddressList* to = g_mime_message_get_addresses(parsed.get(), GMIME_ADDRESS_TYPE_TO);
    if (to != nullptr && internet_address_list_length(to) > 0) {
        char* text = internet_address_list_to_string(to, nullptr, FALSE);
        message.recipients = fromUtf8(text);
        g_free(text);
    }
    message.date = readDate(parsed.get());
    return message;
}

namespace {

/// The body as it stands when it needs no decoding: one plain-text part in UTF-8 or with no
/// charset, neither base64 nor quoted-printable. Only the header block goes through GMime then,
/// whose charset filter would otherwise copy every byte of a long mail to the same bytes.
std::optional<QString> undecodedPlainText(const MailMessage& message) {
    const qsizetype head = headerBlockLength(message.raw);
    const GObjectPtr<GMimeMessage> parsed = parseMime(message.raw.first(head) + '\n');
    GMimeObject* root = parsed ? g_mime_message_get_mime_part(parsed.get()) : nullptr;
    if (root == nullptr || !GMIME_IS_TEXT_PART(root) ||
        !g_mime_content_type_is_type(g_mime_object_get_content_type(root), "text", "plain")) {
        return std::nullopt;
    }
    switch (g_mime_part_get_content_encoding(GMIME_PART(root))) {
    case GMIME_CONTENT_ENCODING_DEFAULT:
    case GMIME_CONTENT_ENCODING_7BIT:
    case GMIME_CONTENT_ENCODING_8BIT:
    case GMIME_CONTENT_ENCODING_BINARY:
        break;
    default:
        return std::nullopt;
    }
    const char* charset = g_mime_object_get_content_type_parameter(root, "charset");
    if (charset != nullptr && g_ascii_strcasecmp(charset, "utf-8") != 0 &&
        g_ascii_strcasecmp(charset, "utf8") != 0) {
        return std::nullopt;
    }
    // Bytes that are not UTF-8 are left to GMime's charset handling.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text =
        decoder(QByteArrayView(message.raw).sliced(std::min(head + 1, message.raw.size())));
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}

QStringList attachmentNames(GMimeMessage* message) {
    QStringList names;
    g_mime_message_foreach(
        message,
        [](GMimeObject* /*parent*/, GMimeObject* part, gpointer into) {
            if (!plaintext::isAttachment(part)) {
                return;
            }
            QString name = fromUtf8(g_mime_part_get_filename(GMIME_PART(part)));
            if (name.isEmpty()) {
                char* type =
                    g_mime_content_type_get_mime_type(g_mime_object_get_content_type(part));
                name = fromUtf8(type);
                g_free(type);
            }
            static_cast<QStringList*>(into)->append(name);
        },
        &names);
    return names;
}

} // namespace

ShownMessage shownMessage(const MailMessage& message) {
    initialiseGMime();
    if (std::optional<QString> text = undecodedPlainText(message)) {
        return {*std::move(text), {}};
    }
    ShownMessage shown;
    const GObjectPtr<GMimeMessage> parsed = parseMime(message.raw);
    GMimeObject* root = nullptr;
    if (parsed) {
        root = g_mime_message_get_mime_part(parsed.get());
        shown.attachments = attachmentNames(parsed.get());
    }
    // Much mail is sent as HTML alone; its text is read as a browser would show it.
    if (const std::optional<std::string> text = plaintext::fromParts(root)) {
        shown.text = QString::fromStdString(*text);
    } else {
        const qsizetype head = headerBlockLength(message.raw);
        shown.text = QString::fromUtf8(message.raw.mid(std::min(head + 1, message.raw.size())));
    }
    return shown;
}

QString readableText(const MailMessage& message) {
    return shownMessage(message).text;
}
