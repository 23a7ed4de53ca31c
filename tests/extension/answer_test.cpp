#include "answer.h"
#include "requestbuilder.h"

#include <gtest/gtest.h>

namespace {

Answer::Classified classify(int status, std::optional<QByteArray> body,
                            Answer::Checks checks = Answer::Checks::PostAnswer) {
    return Answer::classify(body, HTTPURLResponse{status}, std::nullopt, checks);
}

template <typename Step> bool is(const Answer::Classified& answer) {
    return std::holds_alternative<Step>(answer);
}

} // namespace

TEST(AnswerClassification, StopsAtTheFirstFailingCheckInOrder) {
    const URLError timedOut{5, "The request timed out."};
    EXPECT_TRUE(is<Answer::TransportError>(Answer::classify(QByteArray("{}"), HTTPURLResponse{200},
                                                            timedOut, Answer::Checks::PostAnswer)));
    EXPECT_TRUE(is<Answer::NotHttp>(Answer::classify(QByteArray("{}"), std::nullopt, std::nullopt,
                                                     Answer::Checks::PostAnswer)));
    EXPECT_TRUE(is<Answer::BadStatus>(classify(500, std::nullopt)));
    EXPECT_TRUE(is<Answer::NoBody>(classify(200, std::nullopt)));
    EXPECT_TRUE(is<Answer::NotJson>(classify(200, QByteArray())))
        << "a body of zero bytes is present and fails to parse";
    EXPECT_TRUE(is<Answer::NotJson>(classify(200, QByteArray("<html>oops</html>"))));
    EXPECT_TRUE(is<Answer::NotJson>(classify(200, QByteArray(R"({"response":"cut)"))));
    EXPECT_TRUE(is<Answer::NotJson>(classify(200, QByteArray(R"({"n":1e400})"))))
        << "a number past a double's range";
    EXPECT_TRUE(is<Answer::NotObject>(classify(200, QByteArray("[1,2]"))));
    EXPECT_TRUE(is<Answer::Object>(classify(200, QByteArray(R"({"response":"ok"})"))));
}

TEST(AnswerClassification, OnlyTwoHundredsPass) {
    for (const int status : {100, 199, 300, 302, 401, 404, 500, 503}) {
        const auto answer = classify(status, QByteArray("{}"));
        ASSERT_TRUE(is<Answer::BadStatus>(answer)) << status;
        EXPECT_EQ(std::get<Answer::BadStatus>(answer).statusCode, status);
    }
    for (const int status : {200, 201, 204, 299}) {
        EXPECT_TRUE(is<Answer::Object>(classify(status, QByteArray("{}")))) << status;
    }
}

TEST(AnswerClassification, GetAnswersIgnoreStatusAndRejectTopLevelScalars) {
    EXPECT_TRUE(is<Answer::NotObject>(classify(200, QByteArray(R"("text")"))));
    EXPECT_TRUE(is<Answer::NotObject>(classify(200, QByteArray("5"))));
    EXPECT_TRUE(
        is<Answer::NotJson>(classify(200, QByteArray(R"("text")"), Answer::Checks::GetAnswer)));
    EXPECT_TRUE(is<Answer::NotJson>(classify(200, QByteArray("null"), Answer::Checks::GetAnswer)));
    EXPECT_TRUE(is<Answer::NotObject>(classify(200, QByteArray("[]"), Answer::Checks::GetAnswer)));
    EXPECT_TRUE(is<Answer::Object>(classify(500, QByteArray("{}"), Answer::Checks::GetAnswer)));
    EXPECT_TRUE(is<Answer::Object>(
        Answer::classify(QByteArray("{}"), std::nullopt, std::nullopt, Answer::Checks::GetAnswer)));
}

TEST(BackendRequest, SixtySecondsAndHeadersInFixedOrder) {
    const URLRequest request = makeBackendRequest(
        QUrl("https://h.example/api/v1/response"), "POST",
        {RequestHeader::Authorization, RequestHeader::ContentType, RequestHeader::Accept},
        QString());
    EXPECT_EQ(request.timeoutInterval, 60.0);
    EXPECT_EQ(request.httpMethod, "POST");
    ASSERT_EQ(request.headers.size(), 3U);
    EXPECT_EQ(request.headers[0],
              (std::pair<QByteArray, QByteArray>("Content-Type", "application/json")));
    EXPECT_EQ(request.headers[1],
              (std::pair<QByteArray, QByteArray>("Accept", "application/json")));
    EXPECT_EQ(request.headers[2], (std::pair<QByteArray, QByteArray>("Authorization", "Bearer ")));
}
