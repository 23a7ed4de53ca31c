#include "mailfolder.h"
#include "messageparser.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

MailMessage parsed(std::variant<MailMessage, MessageError> result) {
    if (const auto* error = std::get_if<MessageError>(&result)) {
        ADD_FAILURE() << "not parsed: " << error->reason.toStdString();
        return {};
    }
    return std::get<MailMessage>(std::move(result));
}

struct StoredFormCase {
    const char* name;
    QByteArray file;
    QByteArray stored;
};

TEST(MessageParserTest, FilesBecomeTheStoredForm) {
    const StoredFormCase cases[] = {
        {"CR LF", "From: a@b.c\r\nSubject: x\r\n\r\nline 1\r\nline 2\r\n",
         "From: a@b.c\nSubject: x\n\nline 1\nline 2\n"},
        {"LF", "From: a@b.c\nSubject: x\n\nline 1\n", "From: a@b.c\nSubject: x\n\nline 1\n"},
        {"folded fields, indented body",
         "Subject: a\r\n long\r\n\tsubject\r\nTo: b@c.d\r\n\r\nx\r\n  y\r\n",
         "Subject: a long\tsubject\nTo: b@c.d\n\nx\n  y\n"},
        {"lone CR is data", "A: 1\n\nx\ry\r", "A: 1\n\nx\ry\r"},
        {"no body", "A: 1\r\n", "A: 1\n"},
    };
    for (const StoredFormCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parsed(parseMessage(c.file)).raw, c.stored);
    }
}

struct FieldsCase {
    const char* name;
    QByteArray file;
    QString subject;
    std::optional<QString> address;
    QString senderName;
    MEHeaderMap headers;
};

TEST(MessageParserTest, HeaderFieldsAreDecodedAndListedByLowerCaseName) {
    const FieldsCase cases[] = {
        {"encoded words",
         "Subject: =?UTF-8?B?UsOpdW5pb24gw6AgTHlvbg==?=\n"
         "From: =?ISO-8859-1?Q?Andr=E9?= Dupont <andre@example.fr>\n\nbody\n",
         "Réunion à Lyon",
         "andre@example.fr",
         "André Dupont",
         {{"subject", {"=?UTF-8?B?UsOpdW5pb24gw6AgTHlvbg==?="}},
          {"from", {"=?ISO-8859-1?Q?Andr=E9?= Dupont <andre@example.fr>"}}}},
        {"folded encoded words",
         "Subject: =?utf-8?q?Caf=C3=A9?=\r\n =?utf-8?q?_cr=C3=A8me?=\r\n\r\n",
         "Café crème",
         std::nullopt,
         "",
         {{"subject", {"=?utf-8?q?Caf=C3=A9?= =?utf-8?q?_cr=C3=A8me?="}}}},
        {"several message ids",
         "Message-ID: <a@x>\nMessage-Id:  <b@x>\nFrom: b@x.org\n\nhi\n",
         "",
         "b@x.org",
         "",
         {{"message-id", {"<a@x>", "<b@x>"}}, {"from", {"b@x.org"}}}},
        {"content fields",
         "MIME-Version: 1.0\nContent-Type: text/plain;\n charset=utf-8\n\nx",
         "",
         std::nullopt,
         "",
         {{"mime-version", {"1.0"}}, {"content-type", {"text/plain; charset=utf-8"}}}},
        {"missing fields", "X-Note: hi\n\nbody\n", "", std::nullopt, "", {{"x-note", {"hi"}}}},
        {"invalid UTF-8",
         "Subject: caf\xe9\nX-Id: \xff\xfe\n\nbody \xff\n",
         "café",
         std::nullopt,
         "",
         {{"subject", {"caf\uFFFD"}}, {"x-id", {"\uFFFD\uFFFD"}}}},
    };
    for (const FieldsCase& c : cases) {
        SCOPED_TRACE(c.name);
        const MailMessage message = parsed(parseMessage(c.file));
        EXPECT_EQ(message.subject(), c.subject);
        EXPECT_EQ(message.fromAddress().has_value(), c.address.has_value());
        if (message.fromAddress() && c.address) {
            EXPECT_EQ(message.fromAddress()->addressString, *c.address);
        }
        EXPECT_EQ(message.senderName, c.senderName);
        EXPECT_EQ(message.headers(), c.headers);
    }
}

TEST(MessageParserTest, DateKeepsItsOffsetAndIsAbsentWhenMissing) {
    const MailMessage dated =
        parsed(parseMessage("Date: Tue, 01 Dec 2026 09:14:05 +0100\nA: 1\n\nx"));
    ASSERT_TRUE(dated.date.has_value());
    EXPECT_EQ(dated.date->toUTC(), QDateTime(QDate(2026, 12, 1), QTime(8, 14, 5), Qt::UTC));
    EXPECT_EQ(dated.date->offsetFromUtc(), 3600);
    EXPECT_FALSE(parsed(parseMessage("A: 1\n\nx")).date.has_value());
}

TEST(MessageParserTest, ReadableTextIsTheDecodedPlainPart) {
    const struct {
        const char* name;
        QByteArray file;
        QString text;
    } cases[] = {
        {"plain", "From: a@b.c\n\nHello there.\n", "Hello there.\n"},
        {"base64 latin-1 part beside HTML",
         "MIME-Version: 1.0\nContent-Type: multipart/alternative; boundary=b\n\n--b\n"
         "Content-Type: text/html\n\n<p>HTML</p>\n--b\n"
         "Content-Type: text/plain; charset=iso-8859-1\nContent-Transfer-Encoding: base64\n\n"
         "Q2Fm6SBhdCBub29uLg==\n--b--\n",
         QStringLiteral("Caf\u00e9 at noon.")},
        {"no plain part", "Content-Type: text/html\n\n<p>Only HTML</p>\n", "<p>Only HTML</p>\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(readableText(parsed(parseMessage(c.file))), c.text) << c.name;
    }
}

TEST(MessageParserTest, FilesWithoutHeaderFieldsAreErrors) {
    for (const QByteArray& file :
         {QByteArray(), QByteArray("\n\nbody"), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)}) {
        SCOPED_TRACE(file.toStdString());
        EXPECT_TRUE(std::holds_alternative<MessageError>(parseMessage(file)));
    }
}

class MailFolderTest : public testing::Test {
protected:
    QString write(const QString& relative, const QByteArray& bytes) const {
        const QString path = folder_.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    static std::vector<ListedMessage> listing(const QString& path) {
        auto result = readMailFolder(path);
        if (const auto* error = std::get_if<FolderError>(&result)) {
            ADD_FAILURE() << error->message.toStdString();
            return {};
        }
        return std::get<std::vector<ListedMessage>>(std::move(result));
    }

    static QStringList describe(const std::vector<ListedMessage>& messages) {
        QStringList lines;
        for (const ListedMessage& listed : messages) {
            lines << listed.fileName + ": " +
                         (listed.message ? listed.message->subject() : "error " + *listed.error);
        }
        return lines;
    }

    QTemporaryDir folder_;
};

TEST_F(MailFolderTest, EmlFolderListsEveryMessageAndMarksTheUnreadable) {
    write("b.eml", "Subject: second\n\nx");
    write("a.eml", "Subject: first\r\n\r\nx");
    write("c.eml", "");
    write("notes.txt", "Subject: not mail\n\nx");
    EXPECT_EQ(describe(listing(folder_.path())),
              (QStringList{"a.eml: first", "b.eml: second", "c.eml: error no header fields"}));
}

TEST_F(MailFolderTest, MaildirListsCurAndNewButNotTmp) {
    write("cur/200.host:2,S", "Subject: read\n\nx");
    write("new/100.host", "Subject: unread\n\nx");
    write("tmp/300.host", "Subject: arriving\n\nx");
    EXPECT_EQ(describe(listing(folder_.path())),
              (QStringList{"100.host: unread", "200.host:2,S: read"}));
}

TEST_F(MailFolderTest, FolderThatCannotBeListedIsOneLine) {
    const QString file = write("a.eml", "Subject: x\n\nx");
    const QString missing = folder_.filePath("missing");
    const std::pair<QString, QString> cases[] = {
        {missing, "No such folder: " + missing},
        {file, "Not a folder: " + file},
    };
    for (const auto& [path, message] : cases) {
        const auto result = readMailFolder(path);
        ASSERT_TRUE(std::holds_alternative<FolderError>(result));
        EXPECT_EQ(std::get<FolderError>(result).message, message);
    }
}

TEST_F(MailFolderTest, LargeMessagesAreReadAndTooLargeOnesMarked) {
    QByteArray line(78, 'x');
    line += "\r\n";
    QByteArray big = "Subject: big\r\nMessage-ID: <big@x>\r\n\r\n";
    big += line.repeated((2 << 20) / line.size());
    const QString bigPath = write("big.eml", big);

    const ListedMessage listed = readMessageFile(bigPath);
    ASSERT_TRUE(listed.message) << listed.error->toStdString();
    EXPECT_EQ(listed.message->subject(), "big");
    EXPECT_EQ(listed.message->raw.size(), big.size() - big.count('\r'));
    EXPECT_TRUE(listed.message->raw.endsWith("xx\n"));

    const QString hugePath = write("huge.eml", "Subject: huge\n\n");
    std::filesystem::resize_file(hugePath.toStdString(), kLargestMessageBytes + 1);
    EXPECT_EQ(readMessageFile(hugePath).error, QString("larger than 256 MiB"));
}

} // namespace
