// Each backend operation against scripted answers: one table per operation, answer to the
// lines logged and the result handed on. Transport faults, error statuses, HTML and empty
// bodies, top-level arrays and large answers are in the fault matrix, over real TLS.
#include "handleapirequests.h"
#include "incommingupdatesmanager.h"
#include "scriptedbackend.h"
#include "summarizemanager.h"

#include <algorithm>
#include <thread>

namespace {

ScriptedAnswer ok(const char* body) {
    return ScriptedAnswer::http(200, QByteArray(body));
}
const ScriptedAnswer kReset = ScriptedAnswer::transportError("connection reset");
const ScriptedAnswer kNotHttp{std::nullopt, QByteArray(R"({"response":"x"})"), std::nullopt};
const ScriptedAnswer kNoBody = ScriptedAnswer::http(200, std::nullopt);
const QString kNoResponse = QStringLiteral("The 'response' key does not exist or is not a string.");
const char* const kNone = "(no completion)";

using Headers = std::vector<std::pair<QByteArray, QByteArray>>;
const std::pair<QByteArray, QByteArray> kJson{"Content-Type", "application/json"};
const std::pair<QByteArray, QByteArray> kAccept{"Accept", "application/json"};
const std::pair<QByteArray, QByteArray> kBearer{"Authorization", "Bearer tok"};

class RequestsTest : public ScriptedBackendTest {
protected:
    /// Lines of the operation itself, without the user check's.
    [[nodiscard]] QStringList ownLines() const {
        QStringList lines = log().lines();
        lines.removeIf([](const QString& line) {
            return line.startsWith("URL: ") || line.startsWith("ACCESS TOKEN: ") ||
                   line.startsWith("CURRENT API URL");
        });
        return lines;
    }
    /// Runs `start` against `answer` on `path`, settles, and gives what the completion got.
    QString outcome(const QString& path, const ScriptedAnswer& answer,
                    const std::function<void(std::function<void(QString)>)>& start) {
        log().clear();
        network().answer(path, answer);
        auto got = std::make_shared<QString>(kNone);
        start([got](const QString& text) {
            Platform::current().mainQueue().async([got, text] { *got = text; });
        });
        settle();
        return *got;
    }
};

TEST_F(RequestsTest, EachRequestHasItsMethodHeadersBodyAndTimeout) {
    const struct {
        std::function<void()> start;
        QString target;
        QByteArray method;
        Headers headers;
        QByteArray body;
    } rows[] = {
        {[] {
             HandleApiRequests::summarize(QUrl(base + "/api/v1/summarize"), "tok",
                                          {"Review it.", "sent@x"}, "abc", [](auto...) {});
         },
         "/api/v1/summarize",
         "POST",
         {kJson, kAccept, kBearer},
         R"({"content":"Review it.","email":"sent@x","plugin_source":"plugin_apple",)"
         R"("plugin_version":"v1.0.0"})"},
        {[] {
             HandleApiRequests::generateResponse(QUrl(base + "/api/v1/response"), "tok",
                                                 {"<m@x>", "Meet?", "me@x"}, "<m@x>",
                                                 [](auto...) {});
         },
         "/api/v1/response",
         "POST",
         {kJson, kAccept, kBearer},
         R"({"messageId":"<m@x>","content":"Meet?","email":"me@x","plugin_source":)"
         R"("plugin_apple","plugin_version":"v1.0.0"})"},
        {[] {
             HandleApiRequests::startChat(QUrl(base + "/api/v1/chat/start"), "tok",
                                          {.email = "me@x", .email_content = "Meet?"}, [](auto) {});
         },
         "/api/v1/chat/start",
         "POST",
         {kJson, kBearer},
         R"({"email":"me@x","plugin_source":"plugin_apple","plugin_version":"v1.0.0",)"
         R"("email_content":"Meet?"})"},
        {[] {
             HandleApiRequests::sendChatMessage(QUrl(base + "/api/v1/chat/send"), "tok",
                                                {"a", "t", "me@x", "When?"}, [](auto) {});
         },
         "/api/v1/chat/send",
         "POST",
         {kJson, kBearer},
         R"({"assistantId":"a","threadId":"t","email":"me@x","content":"When?",)"
         R"("plugin_source":"plugin_apple","plugin_version":"v1.0.0"})"},
        {[] {
             HandleApiRequests::submitTrainingData(QUrl(base + "/api/v1/create-training-data"), "",
                                                   {"me@x", "Meet?", "Yes."}, [](auto) {});
         },
         "/api/v1/create-training-data",
         "POST",
         {kJson, {"Authorization", "Bearer "}},
         R"({"email":"me@x","question":"Meet?","answer":"Yes.","plugin_source":)"
         R"("plugin_apple","plugin_version":"v1.0.0"})"},
        {[] { HandleApiRequests::fetchUserDetails(base + "/api/v1/me", "tok", [](auto&) {}); },
         "/api/v1/me",
         "GET",
         {kBearer},
         {}},
        {[] {
             HandleApiRequests::checkForNewVersion(base + "/api/v1/apple-version?x=1",
                                                   "1.0 beta+1&x");
         },
         "/api/v1/apple-version?currentVersion=1.0%20beta%2B1%26x",
         "GET",
         {},
         {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.target.toStdString());
        const std::size_t before = network().requests().size();
        row.start();
        settle();
        const std::vector<URLRequest> sent = network().requests();
        ASSERT_GT(sent.size(), before);
        const URLRequest& request = sent.back();
        EXPECT_EQ(request.url.toString(QUrl::FullyEncoded), base + row.target);
        EXPECT_EQ(request.httpMethod, row.method);
        EXPECT_EQ(request.headers, row.headers);
        EXPECT_EQ(request.httpBody.value_or(QByteArray()), row.body);
        EXPECT_EQ(request.timeoutInterval, 60.0);
    }
}

TEST_F(RequestsTest, GenerateResponseTurnsEveryAnswerIntoItsReplyOrErrorText) {
    const struct {
        ScriptedAnswer answer;
        QString outcome;
    } rows[] = {
        {ok(R"({"response":"Yes, Tuesday.","x":1})"), "reply Yes, Tuesday."},
        {ScriptedAnswer::http(299, R"({"response":"ok"})"), "reply ok"},
        {ScriptedAnswer::http(199, R"({"response":"x"})"), "Server error: 199"},
        {ScriptedAnswer::http(300, R"({"response":"x"})"), "Server error: 300"},
        {kNotHttp, "Invalid response received from the server."},
        {kNoBody, "No data received from server."},
        {ok(R"({"response":"x","n":1e400})"), "Server error! Please try again later."},
        {ok(R"("a lone string")"), kNoResponse},
        {ok("{}"), kNoResponse},
        {ok(R"({"response":5})"), kNoResponse},
    };
    for (const auto& row : rows) {
        const QString got = outcome("/api/v1/response", row.answer, [](auto done) {
            HandleApiRequests::generateResponse(
                QUrl(base + "/api/v1/response"), "tok", {"<m@x>", "Meet?", "me@x"}, "<m@x>",
                [done](auto id, auto reply, auto error) {
                    done(id == QString("<m@x>") ? "reply " + reply.value_or("?")
                                                : error.value_or("?"));
                });
        });
        EXPECT_EQ(got, row.outcome);
        EXPECT_TRUE(log().lines().isEmpty()) << "generateResponse logs nothing";
    }
    EXPECT_EQ(network().requests().size(), std::size(rows)) << "never retried";
}

TEST_F(RequestsTest, SummarizeRetriesTransportStatusAndParseFailuresFourTimesTwoSecondsApart) {
    const ScriptedAnswer busy = ScriptedAnswer::http(500, "{}");
    const QString gaveUp = QStringLiteral("Max retry attempts reached. Request failed.");
    const struct {
        const char* name;
        std::vector<ScriptedAnswer> answers;
        QStringList lines;
        QString outcome;
    } rows[] = {
        {"answered",
         {ok(R"({"response":"A plan review."})")},
         {R"(Response from server: {"response":"A plan review."})"},
         "abc: A plan review."},
        {"always failing",
         {busy},
         {"Server error: 500", "Retrying request, attempt 1...", "Server error: 500",
          "Retrying request, attempt 2...", "Server error: 500", "Retrying request, attempt 3...",
          "Server error: 500", gaveUp},
         "failed"},
        {"failing three ways, then answered",
         {kReset, kNotHttp, ok("<html>"), ok(R"({"response":"Done."})")},
         {"Error sending request: connection reset", "Retrying request, attempt 1...",
          "Invalid response received from the server.", "Retrying request, attempt 2...",
          "Retrying request, attempt 3...", R"(Response from server: {"response":"Done."})"},
         "abc: Done."},
        {"no body", {kNoBody}, {"No data received from server."}, "nothing"},
        {"a lone string", {ok(R"("text")")}, {"Response from server: {}", kNoResponse}, "nothing"},
        {"an array", {ok("[1]")}, {"Response from server: {}", kNoResponse}, "nothing"},
        {"a number",
         {ok(R"({"response":5})")},
         {R"(Response from server: {"response":5})", kNoResponse},
         "nothing"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        log().clear();
        SummarizeManager::shared().requestFailed = false;
        network().answer("/api/v1/summarize", row.answers);
        const std::size_t sentBefore = network().requestsTo("/api/v1/summarize").size();
        const std::size_t checksBefore = network().requestsTo("/api/v1/me").size();
        QString got = kNone;
        HandleApiRequests::summarize(QUrl(base + "/api/v1/summarize"), "tok",
                                     {"Review it.", "me@x"}, "abc", [&got](auto id, auto summary) {
                                         Platform::current().mainQueue().async([&got, id, summary] {
                                             got = id ? *id + ": " + summary.value_or("?")
                                                   : SummarizeManager::shared().requestFailed
                                                       ? "failed"
                                                       : "nothing";
                                         });
                                     });
        settle();
        std::size_t retries = 0;
        for (; queue().nextDue(); ++retries) {
            EXPECT_EQ(*queue().nextDue(), queue().now() + 2.0) << "fixed, not growing";
            queue().advance(2.0);
            settle();
        }
        EXPECT_EQ(got, row.outcome);
        EXPECT_EQ(ownLines(), row.lines);
        EXPECT_EQ(network().requestsTo("/api/v1/summarize").size() - sentBefore, retries + 1);
        EXPECT_EQ(network().requestsTo("/api/v1/me").size() - checksBefore, 1U)
            << "the user check is not repeated";
    }
}

TEST_F(RequestsTest, SummarizeWaitsForTheUserCheckAndStopsWhenItFails) {
    answer("/api/v1/me", 401, R"({"detail":"Invalid token"})");
    int completions = 0;
    HandleApiRequests::summarize(QUrl(base + "/api/v1/summarize"), "expired", {"x", "y"}, "abc",
                                 [&](auto, auto) { ++completions; });
    settle();
    queue().advance(10.0);
    EXPECT_TRUE(network().requestsTo("/api/v1/summarize").empty());
    EXPECT_EQ(completions, 0);
    EXPECT_FALSE(SummarizeManager::shared().requestFailed);
    EXPECT_EQ(ownLines(), QStringList{"Email or name not found in response"});
}

TEST_F(RequestsTest, ChatRequestsReportEveryFailureAsAnApiErrorWithItsLine) {
    const QString noIds = QStringLiteral("The 'assistantId' or 'threadId' key does not exist or "
                                         "is not a string within the 'response' object.");
    const struct {
        bool start;
        ScriptedAnswer answer;
        QString outcome;
        QStringList lines;
    } rows[] = {
        {true, ok(R"({"response":{"assistantId":"a1","threadId":"t9"}})"), "a1/t9", {}},
        {true, ok(R"({"response":{"assistantId":"a"}})"), "invalidData", {noIds}},
        {true, ok(R"({"response":"a string"})"), "invalidData", {noIds}},
        {true, ok(R"({"response":{"assistantId":"a","threadId":7}})"), "invalidData", {noIds}},
        {true, ok("{}"), "invalidData", {noIds}},
        {false, ok(R"({"response":"On Tuesday."})"), "On Tuesday.", {}},
        {false, kNotHttp, "invalidResponse", {"Invalid response received from the server."}},
        {false, kNoBody, kNone, {}},
        {false, ok(R"("scalar")"), "invalidData", {"Failed to cast JSON response to dictionary."}},
        {false, ok(R"({"response":5})"), "invalidData", {kNoResponse}},
    };
    for (const auto& row : rows) {
        const QString path = row.start ? "/api/v1/chat/start" : "/api/v1/chat/send";
        const QString got = outcome(path, row.answer, [&](auto done) {
            if (row.start) {
                HandleApiRequests::startChat(
                    QUrl(base + path), "0123456789abcdefSECRET",
                    {.email = "me@x", .email_content = "Meet?"}, [done](auto result) {
                        const auto* e = std::get_if<ApiError>(&result);
                        const auto* r = std::get_if<ChatStartResponse>(&result);
                        done(e ? e->text() : r->assistantId + "/" + r->threadId);
                    });
            } else {
                HandleApiRequests::sendChatMessage(
                    QUrl(base + path), "tok", {}, [done](auto result) {
                        const auto* e = std::get_if<ApiError>(&result);
                        done(e ? e->text() : std::get<ChatResponse>(result).response);
                    });
            }
        });
        EXPECT_EQ(got, row.outcome) << path.toStdString();
        QStringList lines = log().lines();
        if (row.start) {
            EXPECT_EQ(
                lines.mid(0, 3),
                (QStringList{"Start chat url: " + base + path,
                             "Start chat access_token: 0123… (22 characters)",
                             R"(Start chat body: ChatStartBody(email: "me@x", plugin_source: )"
                             R"("plugin_apple", plugin_version: "v1.0.0", )"
                             R"(email_content: "Meet?"))"}))
                << "the token is redacted";
            lines = lines.mid(3);
        }
        EXPECT_EQ(lines, row.lines) << row.outcome.toStdString();
    }
}

TEST_F(RequestsTest, TrainingDataCompletesOnlyWithAServerSuccessText) {
    const QString noSuccess = QStringLiteral("The 'sucess' key does not exist or is not a string.");
    const struct {
        ScriptedAnswer answer;
        QString outcome;
        QString line;
    } rows[] = {
        {ok(R"({"success":"stored, thanks"})"), "stored, thanks", {}},
        {ok(R"({"success":true})"), kNone, noSuccess},
        {ok("not json"), kNone, "Server error. Please try again."},
        {kNoBody, kNone, {}},
    };
    for (const auto& row : rows) {
        const QString got = outcome("/api/v1/create-training-data", row.answer, [](auto done) {
            HandleApiRequests::submitTrainingData(QUrl(base + "/api/v1/create-training-data"),
                                                  "tok", {"me@x", "Meet?", "No response available"},
                                                  done);
        });
        EXPECT_EQ(got, row.outcome);
        QStringList expected{R"(TRAINIG DATA BODY TrainingDataBody(email: "me@x", )"
                             R"(question: "Meet?", answer: "No response available", )"
                             R"(plugin_source: "plugin_apple", plugin_version: "v1.0.0"))"};
        if (!row.line.isEmpty()) {
            expected << row.line;
        }
        EXPECT_EQ(log().lines(), expected);
    }
}

TEST_F(RequestsTest, UserDetailsAreJudgedByTheBodyAloneAndStoredOnTheMainThread) {
    const QString parseFailure = QStringLiteral("Error parsing response data from user details: ");
    const QString notFound = QStringLiteral("Email or name not found in response");
    const struct {
        ScriptedAnswer answer;
        QString line; // a prefix
        QString email;
    } rows[] = {
        {ScriptedAnswer::http(500, R"({"email":"new@example.com","name":"New","x":1})"),
         {},
         "new@example.com"},
        {ok(R"({"email":"me@example.com","name":7})"), notFound, "previous@example.com"},
        {ok(R"({"name":"Me"})"), notFound, "previous@example.com"},
        {ok("{}"), notFound, "previous@example.com"},
        {ok(R"("me@example.com")"), parseFailure, "previous@example.com"},
        {ok("{\"email\":"), parseFailure, "previous@example.com"},
        {kNoBody, "No data received", "previous@example.com"},
    };
    for (const auto& row : rows) {
        UserDetailsManager::shared().setEmail("previous@example.com");
        std::optional<std::thread::id> completedOn;
        outcome("/api/v1/me", row.answer, [&](auto) {
            HandleApiRequests::fetchUserDetails(base + "/api/v1/me", "tok", [&](auto&) {
                completedOn = std::this_thread::get_id();
            });
        });
        EXPECT_EQ(UserDetailsManager::shared().email(), row.email);
        const QStringList lines = log().lines();
        ASSERT_GE(lines.size(), 2);
        EXPECT_EQ(lines.mid(0, 2),
                  (QStringList{"URL: " + base + "/api/v1/me", "ACCESS TOKEN: … (3 characters)"}));
        EXPECT_EQ(lines.size(), row.line.isEmpty() ? 2 : 3);
        EXPECT_TRUE(lines.last().startsWith(row.line)) << lines.last().toStdString();
        EXPECT_EQ(completedOn.has_value(), row.line.isEmpty());
        if (completedOn) {
            EXPECT_EQ(*completedOn, std::this_thread::get_id());
            EXPECT_EQ(UserDetailsManager::shared().name, QString("New"));
        }
    }
    HandleApiRequests::fetchUserDetails(QString(), "tok", {});
    HandleApiRequests::fetchUserDetails("not a url", "tok", {});
    HandleApiRequests::checkForNewVersion("::not a url", "1.0");
    EXPECT_EQ(log().lines().mid(log().lines().size() - 3),
              (QStringList{"Invalid URL", "Invalid URL", "Invalid URL"}));
    EXPECT_EQ(network().requests().size(), std::size(rows)) << "nothing sent to invalid URLs";
}

TEST_F(RequestsTest, TheVersionCheckSetsEachUpdateFieldFromItsOwnMember) {
    const struct {
        ScriptedAnswer answer;
        QString line; // a prefix of a line logged
        QString state;
    } rows[] = {
        {ok(R"({"current_version":"1.1.0","download_url":"https://dl.example/1.1.0"})"),
         "The new available version is: 1.1.0", "1 1.1.0 https://dl.example/1.1.0"},
        {ScriptedAnswer::http(404, R"({"download_url":"https://dl.example/x"})"),
         "New app version is null in response", "1 - https://dl.example/x"},
        {ok("{}"), "New download URL is null in response", "0 - -"},
        {ok(R"({"current_version":"2.0","download_url":false})"),
         "New download URL is null in response", "0 2.0 -"},
        {ok(R"("1.1")"),
         "Error parsing response data from server: ", "1 earlier https://earlier.example"},
        {kNoBody, "No data received", "1 earlier https://earlier.example"},
    };
    IncommingUpdatesManager& updates = IncommingUpdatesManager::shared();
    for (const auto& row : rows) {
        updates.newVersion = QStringLiteral("earlier");
        updates.updateUrl = QStringLiteral("https://earlier.example");
        updates.setIncommingUpdatesAvailable(true);
        outcome("/api/v1/apple-version", row.answer, [](auto) {
            HandleApiRequests::checkForNewVersion(base + "/api/v1/apple-version", "1.0.0");
        });
        EXPECT_EQ(QStringLiteral("%1 %2 %3")
                      .arg(updates.incommingUpdatesAvailable())
                      .arg(updates.newVersion.value_or("-"), updates.updateUrl.value_or("-")),
                  row.state);
        EXPECT_EQ(log().lines().first(),
                  "Sending request to URL: " + base + "/api/v1/apple-version?currentVersion=1.0.0");
        const QStringList lines = log().lines();
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const QString& line) {
            return line.startsWith(row.line);
        })) << lines.join('\n').toStdString();
    }
}

} // namespace
