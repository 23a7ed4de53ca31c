#include "linewrap.h"
#include "mailfolder.h"
#include "messageparser.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

/// A message file and what is read from it; unset members are not checked.
struct ParseCase {
    const char* name;
    QByteArray file;
    std::optional<QByteArray> stored = {};
    std::optional<QString> subject = {};
    std::optional<QString> address = {}; // "" for none
    std::optional<QString> senderName = {};
    std::optional<QString> recipients = {};
    std::optional<MEHeaderMap> headers = {};
    std::optional<QString> text = {};
    std::optional<QString> date = {}; // ISO 8601 with its offset, "" for none
    std::optional<QStringList> attachments = {};
};

TEST(MessageParserTest, FilesBecomeTheStoredFormWithDecodedFieldsAndText) {
    const ParseCase cases[] = {
        {.name = "CRLF ends lines, a lone CR is data",
         .file = "A: 1\r\n\r\nx\ry\r\n",
         .stored = "A: 1\n\nx\ry\n"},
        {.name = "LF, dated",
         .file = "Date: Tue, 01 Dec 2026 09:14:05 +0100\nA: 1\n\nx",
         .stored = "Date: Tue, 01 Dec 2026 09:14:05 +0100\nA: 1\n\nx",
         .date = "2026-12-01T09:14:05+01:00"},
        {.name = "encoded words",
         .file = "Subject: =?UTF-8?B?UsOpdW5pb24gw6AgTHlvbg==?=\n"
                 "From: =?ISO-8859-1?Q?Andr=E9?= Dupont <andre@example.fr>\n"
                 "To: =?UTF-8?Q?L=C3=A9a?= <lea@example.fr>, bob@example.org\n\nbody\n",
         .subject = "Réunion à Lyon",
         .address = "andre@example.fr",
         .senderName = "André Dupont",
         .recipients = "Léa <lea@example.fr>, bob@example.org",
         .headers =
             MEHeaderMap{{"subject", {"=?UTF-8?B?UsOpdW5pb24gw6AgTHlvbg==?="}},
                         {"from", {"=?ISO-8859-1?Q?Andr=E9?= Dupont <andre@example.fr>"}},
                         {"to", {"=?UTF-8?Q?L=C3=A9a?= <lea@example.fr>, bob@example.org"}}}},
        {.name = "several message ids",
         .file = "Message-ID: <a@x>\nMessage-Id:  <b@x>\nFrom: b@x.org\n\nhi\n",
         .address = "b@x.org",
         .headers = MEHeaderMap{{"message-id", {"<a@x>", "<b@x>"}}, {"from", {"b@x.org"}}}},
        {.name = "missing fields",
         .file = "X-Note: hi\n\nbody\n",
         .subject = "",
         .address = "",
         .senderName = "",
         .recipients = "",
         .headers = MEHeaderMap{{"x-note", {"hi"}}},
         .text = "body\n"},
        {.name = "base64 latin-1 part beside HTML",
         .file = "MIME-Version: 1.0\nContent-Type: multipart/alternative; boundary=b\n\n--b\n"
                 "Content-Type: text/html\n\n<p>HTML</p>\n--b\n"
                 "Content-Type: text/plain; charset=iso-8859-1\n"
                 "Content-Transfer-Encoding: base64\n\nQ2Fm6SBhdCBub29uLg==\n--b--\n",
         .text = QStringLiteral("Caf\u00e9 at noon.")},
        // One plain part is read from the body as it stands only when it needs no decoding.
        {.name = "8bit UTF-8",
         .file = "Content-Type: text/plain; charset=UTF-8\n\n\xEF\xBB\xBF"
                 "Caf\xC3\xA9\n",
         .text = QStringLiteral("Caf\u00e9\n")},
        {.name = "quoted-printable UTF-8",
         .file = "Content-Type: text/plain; charset=utf-8\n"
                 "Content-Transfer-Encoding: quoted-printable\n\nCaf=C3=A9 =3D\n",
         .text = QStringLiteral("Caf\u00e9 =\n")},
        {.name = "8bit UTF-8 with a byte that is not",
         .file = "Content-Type: text/plain; charset=utf-8\n\nCaf\xE9 au lait\n",
         .text = QStringLiteral("Caf\uFFFD au lait\n")},
        {.name = "8bit latin-1 whose bytes are also UTF-8",
         .file = "Content-Type: text/plain; charset=iso-8859-1\n\nCaf\xC3\xA9\n",
         .text = QStringLiteral("Caf\u00c3\u00a9\n")},
        {.name = "HTML only",
         .file = "Content-Type: text/html; charset=utf-8\n\n<p>x</p>\n",
         .text = "x\n"},
        {.name = "quoted-printable windows-1252 HTML in a multipart",
         .file = "MIME-Version: 1.0\nContent-Type: multipart/mixed; boundary=b\n\n--b\n"
                 "Content-Type: text/html; charset=windows-1252\n"
                 "Content-Transfer-Encoding: quoted-printable\n\n"
                 "<html><head><style>p {}</style><script>alert(1)</script></head><body>\n"
                 "<!-- note --><p>Caf&eacute; it=92s</p></body></html>\n--b--\n",
         .text = QStringLiteral("Caf\u00e9 it\u2019s\n")},
        // GLib refused the buffer such a part leaves; the tests make its complaint fatal.
        {.name = "an empty or undecodable base64 text gives way to the HTML",
         .file = "MIME-Version: 1.0\nContent-Type: multipart/alternative; boundary=b\n\n--b\n"
                 "Content-Type: text/plain; charset=utf-8\nContent-Transfer-Encoding: base64\n\n"
                 "\n--b\nContent-Type: text/plain; charset=utf-8\n"
                 "Content-Transfer-Encoding: base64\n\n!!!!====\n--b\n"
                 "Content-Type: text/html\n\n<p>Hi</p>\n--b--\n",
         .text = "Hi\n"},
        {.name = "attachments, by their file name or else their type, and never read as the text",
         .file =
             "MIME-Version: 1.0\nContent-Type: multipart/mixed; boundary=b\n\n--b\n"
             "Content-Type: text/plain\nContent-Disposition: attachment; filename=a.log\n\n"
             "ERROR 42\n--b\n"
             "Content-Type: text/html\n\n<p>See the tickets.</p>\n--b\n"
             "Content-Type: application/pdf\nContent-Transfer-Encoding: base64\n"
             "Content-Disposition: attachment; filename*=UTF-8''Re%C3%A7u.pdf\n\nJVBERi0=\n--b\n"
             "Content-Type: image/png\nContent-Disposition: attachment\n\nx\n--b\n"
             "Content-Type: application/octet-stream; name=notes.bin\n\nx\n--b--\n",
         .text = "See the tickets.\n",
         .attachments =
             QStringList{"a.log", QStringLiteral("Re\u00e7u.pdf"), "image/png", "notes.bin"}},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = parseMessage(c.file);
        ASSERT_TRUE(std::holds_alternative<MailMessage>(result));
        const MailMessage& message = std::get<MailMessage>(result);
        const auto check = [](const auto& expected, const auto& actual) {
            if (expected) {
                EXPECT_EQ(actual, *expected);
            }
        };
        check(c.stored, message.raw);
        check(c.subject, message.subject());
        check(c.address, message.fromAddress() ? message.fromAddress()->addressString : "");
        check(c.senderName, message.senderName);
        check(c.recipients, message.recipients);
        check(c.headers, message.headers());
        check(c.text, readableText(message));
        check(c.date, message.date ? message.date->toString(Qt::ISODate) : "");
        check(c.attachments, shownMessage(message).attachments);
    }
    for (const QByteArray& file :
         {QByteArray(), QByteArray("\n\nbody"), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)}) {
        EXPECT_TRUE(std::holds_alternative<MessageError>(parseMessage(file))) << "no header fields";
    }
}

// What a person reads of every sample: text, never markup or MIME structure.
TEST(MessageParserTest, EverySampleReadsAsText) {
    const auto samples = messageFilesOf(QStringLiteral(QUORVANE_SAMPLES_DIR));
    ASSERT_TRUE(std::holds_alternative<QStringList>(samples));
    for (const QString& sample : std::get<QStringList>(samples)) {
        SCOPED_TRACE(sample.toStdString());
        const auto read = readMessageFile(sample);
        ASSERT_TRUE(std::holds_alternative<std::shared_ptr<const MailMessage>>(read));
        const QString text = readableText(*std::get<std::shared_ptr<const MailMessage>>(read));
        EXPECT_FALSE(text.trimmed().isEmpty());
        for (const char* markup : {"Content-Type:", "Content-Transfer-Encoding:", "</", "=3D"}) {
            EXPECT_FALSE(text.contains(QLatin1String(markup))) << markup;
        }
    }
}

TEST(MailFolderTest, EmlFoldersAndMaildirsListEveryMessageAndMarkTheUnreadableOrTooLarge) {
    const QTemporaryDir folder;
    const auto write = [&folder](const QString& relative, const QByteArray& bytes) {
        QString path = folder.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    };
    // "file: subject" or "file: error why" for each listed message.
    const auto listing = [&folder](const QString& relative) {
        const auto result = messageFilesOf(folder.filePath(relative));
        if (const auto* error = std::get_if<FolderError>(&result)) {
            return QStringList{error->message};
        }
        QStringList lines;
        for (const QString& path : std::get<QStringList>(result)) {
            const auto read = readMessageFile(path);
            const auto* error = std::get_if<MessageError>(&read);
            lines << QFileInfo(path).fileName() + ": " +
                         (error ? "error " + error->reason
                                : std::get<std::shared_ptr<const MailMessage>>(read)->subject());
        }
        return lines;
    };
    write("eml/b.eml", "Subject: second\n\nx");
    write("eml/a.eml", "Subject: first\r\n\r\nx");
    write("eml/c.eml", "");
    write("eml/notes.txt", "Subject: not mail\n\nx");
    write("maildir/cur/200.host:2,S", "Subject: read\n\nx");
    write("maildir/new/100.host", "Subject: unread\n\nx");
    write("maildir/tmp/300.host", "Subject: arriving\n\nx");
    // Symlinks to a device or a FIFO are not mail: reading one might never end, or never start.
    for (const char* link : {"eml/null.eml", "maildir/new/400.host"}) {
        ASSERT_TRUE(QFile::link("/dev/null", folder.filePath(link)));
    }
    EXPECT_EQ(listing("eml"),
              (QStringList{"a.eml: first", "b.eml: second", "c.eml: error no header fields"}));
    EXPECT_EQ(listing("maildir"), (QStringList{"100.host: unread", "200.host:2,S: read"}));
    // Another program marks the unread one read, the read one answered.
    QDir maildir(folder.filePath("maildir"));
    for (const auto& [was, now] : {std::pair{"new/100.host", "cur/100.host:2,S"},
                                   std::pair{"cur/200.host:2,S", "cur/200.host:2,RS"}}) {
        ASSERT_TRUE(maildir.rename(was, now));
        EXPECT_EQ(movedMaildirMessage(maildir.filePath(was)), maildir.filePath(now));
    }
    EXPECT_EQ(movedMaildirMessage(maildir.filePath("cur/300.host")), std::nullopt);
    EXPECT_EQ(movedMaildirMessage(folder.filePath("eml/gone.eml")), std::nullopt);
    EXPECT_EQ(std::get<MessageError>(readMessageFile(folder.filePath("eml/null.eml"))).reason,
              QString("not a regular file"));
    // A cur/ that cannot be listed (a file here, as root reads any folder) hides most of a mailbox.
    ASSERT_TRUE(maildir.rename("cur", "old"));
    write("maildir/cur", "");
    EXPECT_EQ(listing("maildir"), QStringList{"Cannot read folder: " + maildir.filePath("cur")});
    EXPECT_EQ(listing("missing"), QStringList{"No such folder: " + folder.filePath("missing")});
    EXPECT_EQ(listing("eml/a.eml"), QStringList{"Not a folder: " + folder.filePath("eml/a.eml")});
    const QString huge = write("huge.eml", "Subject: huge\n\n");
    std::filesystem::resize_file(huge.toStdString(), kLargestMessageBytes + 1);
    EXPECT_EQ(std::get<MessageError>(readMessageFile(huge)).reason, QString("larger than 256 MiB"));
}

// The wrapping of plain words is checked through the mail host's reply window.
TEST(LineWrapTest, QuotesWrapAtSpacesWithinTheColumnsAndCutOnlyLongWords) {
    const QString words = QString("word ").repeated(40).trimmed();   // 199 columns
    const QString block = QString("x").repeated(kQuoteColumns * 2);  // no space to wrap at
    const QString emoji = QString("a") + QString("😀").repeated(100); // pairs never split
    const struct {
        const char* name;
        QString text;
        QStringList lines;
    } rows[] = {
        {"short lines and blank ones", "Hi,\n\nsee you", {"> Hi,", "> ", "> see you"}},
        {"one long word",
         block,
         {"> " + block.first(74), "> " + block.sliced(74, 74), "> " + block.sliced(148)}},
        {"quoted already",
         "> " + words.first(100),
         {"> > " + words.first(69), "> > " + words.sliced(70, 30)}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(quoted(row.text), row.lines);
    }
    EXPECT_EQ(wrapped(u"ab cd\n\nefg", 2), (QStringList{"ab", "cd", "", "ef", "g"}));
    for (const QString& text : {emoji, QString(">").repeated(100) + words}) {
        for (const QString& line : quoted(text)) {
            EXPECT_LE(line.size(), kQuoteColumns);
            EXPECT_FALSE(line.back().isHighSurrogate()) << line.size();
        }
    }
}

} // namespace
