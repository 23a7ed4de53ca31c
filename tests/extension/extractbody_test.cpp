#include "extractbody.h"

#include <gtest/gtest.h>

TEST(ExtractBody, TakesTheTrimmedTextAfterTheFirstBlankLine) {
    EXPECT_EQ(extractBody("Subject: hi\n\n  word  \n"), QString("word"));
    EXPECT_EQ(extractBody("A: 1\n\nfirst\n\nsecond\n"), QString("first\n\nsecond"));
    // Unicode white space at both ends goes too, inner white space stays.
    EXPECT_EQ(extractBody("A: 1\n\n\u00a0\u2028 two  words\t\u3000"), QString("two  words"));
    EXPECT_EQ(extractBody("\n\nbody only"), QString("body only"));
}

TEST(ExtractBody, OnlyTwoLineFeedsInARowMakeTheBlankLine) {
    EXPECT_EQ(extractBody("A: 1\r\nB: 2\r\n\r\nbody\r\n"), std::nullopt);
    EXPECT_EQ(extractBody("A: 1\r\n\r\nbody\n\nrest"), QString("rest"));
    EXPECT_EQ(extractBody("no blank line at all"), std::nullopt);
    EXPECT_EQ(extractBody(""), std::nullopt);
}

TEST(ExtractBody, WhiteSpaceOnlyBodyIsEmptyNotAbsent) {
    const std::optional<QString> body = extractBody("A: 1\n\n \t\r\n \n");
    ASSERT_TRUE(body.has_value());
    EXPECT_TRUE(body->isEmpty());
    EXPECT_EQ(extractBody("A: 1\n\n"), QString());
}

TEST(ExtractBody, BytesThatAreNotUtf8AnywhereGiveNoBody) {
    EXPECT_EQ(extractBody("A: \xff\n\nfine body"), std::nullopt);
    EXPECT_EQ(extractBody("A: 1\n\nbad \xc3\x28 byte"), std::nullopt);
    EXPECT_EQ(extractBody("A: 1\n\ntruncated \xe2\x82"), std::nullopt);
    EXPECT_EQ(extractBody("A: 1\n\nsurrogate \xed\xa0\x80"), std::nullopt);
    EXPECT_EQ(extractBody("A: 1\n\ncaf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"),
              QString::fromUtf8("caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"));
}

TEST(ExtractBody, MimeIsLeftAsItStands) {
    const QByteArray raw = "Content-Type: multipart/alternative; boundary=b\n\n--b\n"
                           "Content-Transfer-Encoding: base64\n\naGVsbG8=\n--b--\n";
    EXPECT_EQ(extractBody(raw),
              QString("--b\nContent-Transfer-Encoding: base64\n\naGVsbG8=\n--b--"));
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
