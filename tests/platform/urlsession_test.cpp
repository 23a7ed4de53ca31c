#include "qturlsession.h"
#include "testhttpsserver.h"

#include <future>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    std::optional<QByteArray> data;
    std::optional<HTTPURLResponse> response;
    std::optional<URLError> error;
};

class URLSessionTest : public testing::Test {
protected:
    [[nodiscard]] URLRequest request(const std::string& path, double timeout = 60.0) const {
        URLRequest request;
        request.url = QUrl(QString::fromStdString(server_.baseUrl() + path));
        request.timeoutInterval = timeout;
        return request;
    }
    static Outcome fetch(URLRequest request, QtURLSession& session) {
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

    TestHttpsServer server_;
    QtURLSession session_{QtURLSessionOptions{server_.certificateAuthorityFile(), std::nullopt}};
};

} // namespace

TEST_F(URLSessionTest, SendsMethodHeadersInOrderAndBodyAndReportsStatusAndBody) {
    server_.on("/echo", ScriptedReply{201, R"({"ok":true})"});
    URLRequest post = request("/echo");
    post.httpMethod = "POST";
    post.setValue("application/json", "Content-Type");
    post.setValue("first", "Authorization");
    post.setValue("Bearer x", "Authorization"); // replaces in place
    post.httpBody = QByteArray(R"({"a":1})");

    const Outcome outcome = fetch(std::move(post), session_);

    ASSERT_FALSE(outcome.error) << outcome.error->description.toStdString();
    ASSERT_TRUE(outcome.response);
    EXPECT_EQ(outcome.response->statusCode, 201);
    EXPECT_EQ(outcome.data, QByteArray(R"({"ok":true})"));
    const RecordedRequest recorded = server_.requests().at(0);
    EXPECT_EQ(recorded.method, "POST");
    EXPECT_EQ(recorded.body, R"({"a":1})");
    EXPECT_EQ(recorded.header("Authorization"), "Bearer x");
    const auto sent = [&](const std::string& name) {
        return std::ranges::find(recorded.headers, name,
                                 &std::pair<std::string, std::string>::first);
    };
    EXPECT_LT(sent("Content-Type"), sent("Authorization"));
}

TEST_F(URLSessionTest, AnErrorStatusIsAnAnswerAndABrokenOneATransportErrorWithoutData) {
    using Fault = ScriptedReply::Fault;
    const struct {
        const char* path;
        ScriptedReply reply;
        std::optional<qint64> status; // else a transport error
        std::optional<QByteArray> data;
        QString error; // "" for any description
    } rows[] = {
        {"/missing", {404, "<html>gone</html>", "text/html"}, 404, "<html>gone</html>", {}},
        {"/broken", {500, ""}, 500, QByteArray(), {}}, // present, zero bytes
        {"/drop", {.fault = Fault::DropConnection}, {}, {}, {}},
        {"/cut", {.body = std::string(4096, 'x'), .fault = Fault::TruncateBody}, {}, {}, {}},
        {"/silent", {.fault = Fault::NeverAnswer}, {}, {}, "The request timed out."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        server_.on(row.path, row.reply);
        const double timeout = row.reply.fault == Fault::NeverAnswer ? 0.3 : 60.0;
        const Outcome outcome = fetch(request(row.path, timeout), session_);
        EXPECT_EQ(outcome.data, row.data);
        EXPECT_EQ(outcome.error.has_value(), !row.status);
        EXPECT_EQ(outcome.response ? std::optional(outcome.response->statusCode) : std::nullopt,
                  row.status);
        if (outcome.error) {
            EXPECT_FALSE(outcome.error->description.isEmpty());
            EXPECT_TRUE(row.error.isEmpty() || outcome.error->description == row.error)
                << outcome.error->description.toStdString();
        }
    }
}

TEST_F(URLSessionTest, AServerOutsideTheTrustedAuthoritiesIsRefused) {
    QtURLSession untrusting{QtURLSessionOptions{}};
    server_.on("/", ScriptedReply{});
    EXPECT_TRUE(fetch(request("/"), untrusting).error);
    EXPECT_TRUE(server_.requests().empty());
}
