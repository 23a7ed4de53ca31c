#include "qturlsession.h"
#include "testhttpsserver.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <fstream>
#include <future>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    std::optional<QByteArray> data;
    std::optional<HTTPURLResponse> response;
    std::optional<URLError> error;

    [[nodiscard]] qint64 status() const { return response.value_or(HTTPURLResponse{}).statusCode; }
};

Outcome fetch(QtURLSession& session, URLRequest request) {
    std::promise<Outcome> promise;
    session.dataTask(std::move(request), [&promise](auto data, auto response, auto error) {
        promise.set_value(Outcome{std::move(data), response, std::move(error)});
    });
    auto future = promise.get_future();
    if (future.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        ADD_FAILURE() << "no completion";
        std::abort(); // the completion would write to a dead promise
    }
    return future.get();
}

URLRequest get(const TestHttpsServer& server, const std::string& path,
               std::optional<QByteArray> bearer = std::nullopt) {
    URLRequest request;
    request.url = QUrl(QString::fromStdString(server.baseUrl() + path));
    if (bearer) {
        request.setValue("Bearer " + *bearer, "Authorization");
    }
    return request;
}

} // namespace

// Another port is another origin, as another host would be.
TEST(URLSessionTest, BearerRequestsFollowRedirectsOnlyWithinTheirOrigin) {
    TestHttpsServer home;
    TestHttpsServer other;
    QTemporaryDir dir;
    const std::filesystem::path authorities = dir.filePath("authorities.pem").toStdString();
    std::ofstream(authorities) << std::ifstream(home.certificateAuthorityFile()).rdbuf()
                               << std::ifstream(other.certificateAuthorityFile()).rdbuf();
    const auto redirect = [](const std::string& location) {
        return ScriptedReply{.status = 302, .body = "", .headers = {"Location: " + location}};
    };
    home.on("/away", redirect(other.baseUrl() + "/landing"));
    home.on("/within", redirect("/landing"));
    home.on("/landing", ScriptedReply{200, R"({"at":"home"})"});
    other.on("/landing", ScriptedReply{200, R"({"at":"other"})"});
    QtURLSession session{QtURLSessionOptions{authorities, std::nullopt}};

    const struct {
        const char* path = nullptr;
        std::optional<QByteArray> bearer;
        qint64 status = 0;
        std::size_t homeLandings = 0;
        std::size_t otherLandings = 0;
    } rows[] = {
        {"/away", "secret-token", 302, 0, 0}, // the token never leaves its origin
        {"/within", "secret-token", 200, 1, 0},
        {"/away", std::nullopt, 200, 1, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.path) + (row.bearer ? " with a token" : " without"));
        const Outcome outcome = fetch(session, get(home, row.path, row.bearer));
        ASSERT_FALSE(outcome.error) << outcome.error->description.toStdString();
        EXPECT_EQ(outcome.status(), row.status);
        EXPECT_EQ(home.requestsTo("/landing").size(), row.homeLandings);
        EXPECT_EQ(other.requestsTo("/landing").size(), row.otherLandings);
    }
    for (const RecordedRequest& request : home.requestsTo("/landing")) {
        EXPECT_EQ(request.header("Authorization"), "Bearer secret-token");
    }
}

// A server that sends without end fills no memory: past the limit an answer fails.
TEST(URLSessionTest, AnswersPastTheLimitFail) {
    TestHttpsServer server;
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    server.on("/limit", ScriptedReply{200, std::string(kMiB, 'x')});
    server.on("/past", ScriptedReply{200, std::string(kMiB + 1, 'x')});
    QtURLSessionOptions options{server.certificateAuthorityFile(), std::nullopt};
    options.largestAnswer = kMiB;
    QtURLSession session{options};
    EXPECT_EQ(fetch(session, get(server, "/limit")).data.value_or("").size(), kMiB);
    const Outcome past = fetch(session, get(server, "/past"));
    ASSERT_TRUE(past.error);
    EXPECT_EQ(past.error->description, "The answer is larger than 1 MiB.");
}

// Nor does one that sends it slowly hold a request open: a trickle never falls silent long
// enough for the request's own timeout.
TEST(URLSessionTest, AnswersThatTrickleInFailAtTheLongestRequest) {
    TestHttpsServer server;
    server.on("/slow",
              ScriptedReply{.body = std::string(200, 'x'), .fault = ScriptedReply::Fault::Trickle});
    QtURLSessionOptions options{server.certificateAuthorityFile(), std::nullopt};
    options.longestRequest = std::chrono::milliseconds(500);
    QtURLSession session{options};
    const Outcome slow = fetch(session, get(server, "/slow"));
    ASSERT_TRUE(slow.error);
    EXPECT_EQ(slow.error->description, "The request timed out.");
}

// The POST row also checks that what is sent is what was set, and the untrusting session
// that the server's own authority is needed: it sends nothing.
TEST(URLSessionTest, TheCacheNeverHoldsAnswersToBearerOrUncacheableRequests) {
    TestHttpsServer server;
    QTemporaryDir cache;
    const auto cachedFor = [](const std::string& body) {
        return ScriptedReply{
            .status = 200, .body = body, .headers = {"Cache-Control: max-age=600"}};
    };
    URLRequest uncacheable = get(server, "/session");
    uncacheable.cacheable = false;
    URLRequest post = get(server, "/echo", "first");
    post.httpMethod = "POST";
    post.setValue("Bearer x", "Authorization"); // replaces in place
    post.httpBody = QByteArray(R"({"a":1})");
    const struct {
        const char* path = nullptr;
        URLRequest request;
        ScriptedReply reply;
        std::size_t sent = 0; // after two fetches; 1 when the second came from the cache
    } rows[] = {
        {"/public", get(server, "/public"), cachedFor(R"({"version":"1.0"})"), 1},
        {"/me", get(server, "/me", "secret-0"),
         cachedFor(R"({"email":"a@example.com","access_token":"secret-1"})"), 2},
        {"/session", uncacheable, cachedFor(R"({"access_token":"secret-2"})"), 2},
        {"/echo", post, ScriptedReply{201, R"({"ok":true})"}, 2},
    };
    for (const auto& row : rows) {
        server.on(row.path, row.reply);
    }
    QtURLSession untrusting{QtURLSessionOptions{}};
    EXPECT_TRUE(fetch(untrusting, get(server, "/public")).error) << "a stranger's authority";
    QtURLSession session{
        QtURLSessionOptions{server.certificateAuthorityFile(), cache.path().toStdString()}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        for (int round = 0; round < 2; ++round) {
            const Outcome outcome = fetch(session, row.request);
            ASSERT_FALSE(outcome.error) << outcome.error->description.toStdString();
            EXPECT_EQ(outcome.status(), row.reply.status);
            EXPECT_EQ(outcome.data, QByteArray::fromStdString(row.reply.body));
        }
        ASSERT_EQ(server.requestsTo(row.path).size(), row.sent);
    }
    const RecordedRequest echoed = server.requestsTo("/echo").front();
    EXPECT_EQ(echoed.method, "POST");
    EXPECT_EQ(echoed.body, R"({"a":1})");
    EXPECT_EQ(echoed.header("Authorization"), "Bearer x");
    QByteArray stored;
    for (QDirIterator it(cache.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        QFile file(it.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        stored += file.readAll();
    }
    EXPECT_TRUE(stored.contains("version")) << "the public answer is on disk";
    EXPECT_FALSE(stored.contains("secret")) << "a token reached the disk";
}
