#include "sessionresponse.h"

#include <gtest/gtest.h>

namespace {

std::optional<QString> text(const char* value) {
    return value != nullptr ? std::optional<QString>(value) : std::nullopt;
}

TEST(SessionResponseTest, DecodesStringsNullsAndAbsenceAndRefusesEverythingElse) {
    const struct {
        const char* body;
        const char* id; // null: a decoding failure naming `failure`
        const char* accessToken;
        const char* refreshToken;
        const char* loginUrl;
        const char* failure;
    } rows[] = {
        {R"({"id":"s1"})", "s1", nullptr, nullptr, nullptr, nullptr},
        {R"({"id":"s1","access_token":null,"refresh_token":null,"login_url":null,"x":[1]})", "s1",
         nullptr, nullptr, nullptr, nullptr},
        {R"({"login_url":"u","refresh_token":"r","access_token":"","id":"s2"})", "s2", "", "r", "u",
         nullptr},
        {R"({"id":7})", nullptr, nullptr, nullptr, nullptr, "\"id\""},
        {R"({"login_url":"u"})", nullptr, nullptr, nullptr, nullptr, "\"id\""},
        {R"({"id":"s1","refresh_token":false})", nullptr, nullptr, nullptr, nullptr,
         "\"refresh_token\""},
        {R"({"id":"s1","login_url":{"href":"u"}})", nullptr, nullptr, nullptr, nullptr,
         "\"login_url\""},
        {R"(["s1"])", nullptr, nullptr, nullptr, nullptr, "not a JSON object"},
        {"<html>", nullptr, nullptr, nullptr, nullptr, "parse error"},
        {R"({"id":"s1","expires":1e400})", nullptr, nullptr, nullptr, nullptr, "number overflow"},
        {"", nullptr, nullptr, nullptr, nullptr, "parse error"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.body);
        const auto decoded = decodeSessionResponse(QByteArray(row.body));
        if (row.id == nullptr) {
            ASSERT_TRUE(std::holds_alternative<QString>(decoded));
            EXPECT_TRUE(std::get<QString>(decoded).contains(row.failure))
                << std::get<QString>(decoded).toStdString();
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<SessionResponse>(decoded));
        const auto& session = std::get<SessionResponse>(decoded);
        EXPECT_EQ(session.id, row.id);
        EXPECT_EQ(session.accessToken, text(row.accessToken));
        EXPECT_EQ(session.refreshToken, text(row.refreshToken));
        EXPECT_EQ(session.loginUrl, text(row.loginUrl));
    }
}

} // namespace
