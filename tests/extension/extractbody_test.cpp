#include "extractbody.h"

#include <gtest/gtest.h>

TEST(ExtractBody, TakesTheTrimmedUtf8TextAfterTheFirstTwoLineFeedsInARow) {
    const struct {
        QByteArray raw;
        std::optional<QString> body;
    } rows[] = {
        {"Subject: hi\n\n  word  \n", "word"},
        {"A: 1\n\nfirst\n\nsecond\n", "first\n\nsecond"},
        // Unicode white space at both ends goes too, inner white space stays.
        {"A: 1\n\n\u00a0\u2028 two  words\t\u3000", "two  words"},
        {"\n\nbody only", "body only"},
        {"A: 1\r\nB: 2\r\n\r\nbody\r\n", std::nullopt},
        {"A: 1\r\n\r\nbody\n\nrest", "rest"},
        {"no blank line at all", std::nullopt},
        {"", std::nullopt},
        {"A: 1\n\n \t\r\n \n", QString("")}, // empty, not absent
        {"A: 1\n\n", QString("")},
        {"A: \xff\n\nfine body", std::nullopt},
        {"A: 1\n\nbad \xc3\x28 byte", std::nullopt},
        {"A: 1\n\ntruncated \xe2\x82", std::nullopt},
        {"A: 1\n\nsurrogate \xed\xa0\x80", std::nullopt},
        {"A: 1\n\ncaf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80",
         QString::fromUtf8("caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80")},
        // MIME is left as it stands.
        {"Content-Type: multipart/alternative; boundary=b\n\n--b\n"
         "Content-Transfer-Encoding: base64\n\naGVsbG8=\n--b--\n",
         "--b\nContent-Transfer-Encoding: base64\n\naGVsbG8=\n--b--"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(extractBody(row.raw), row.body) << row.raw.toStdString();
    }
}

TEST(ExtractBody, ALongMessageIsHandledWhole) {
    // Past the sizes where a search or a decoder might work on a prefix only.
    constexpr qsizetype size = 4 * 1024 * 1024;
    QByteArray raw = "Subject: big\n\n";
    raw.append(QByteArray(size, 'x'));
    raw.append("\n");
    const std::optional<QString> body = extractBody(raw);
    ASSERT_TRUE(body.has_value());
    EXPECT_EQ(body->size(), size);
}
