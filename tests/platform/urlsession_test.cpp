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
    Outcome fetch(URLRequest request, QtURLSession& session) {
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
    Outcome fetch(const std::string& path, double timeout = 60.0) {
        URLRequest request;
        request.url = QUrl(QString::fromStdString(server_.baseUrl() + path));
        request.timeoutInterval = timeout;
        return fetch(std::move(request), session_);
    }

    TestHttpsServer server_;
    QtURLSession session_{QtURLSessionOptions{server_.certificateAuthorityFile(), std::nullopt}};
};

} // namespace

TEST_F(URLSessionTest, SendsMethodHeadersInOrderAndBodyAndReportsStatusAndBody) {
    server_.on("/echo", ScriptedReply{201, R"({"ok":true})"});
    URLRequest request;
    request.url = QUrl(QString::fromStdString(server_.baseUrl() + "/echo"));
    request.httpMethod = "POST";
    request.setValue("application/json", "Content-Type");
    request.setValue("first", "Authorization");
    request.setValue("Bearer x", "Authorization"); // replaces in place
    request.httpBody = QByteArray(R"({"a":1})");

    const Outcome outcome = fetch(std::move(request), session_);

    ASSERT_FALSE(outcome.error) << outcome.error->description.toStdString();
    ASSERT_TRUE(outcome.response);
    EXPECT_EQ(outcome.response->statusCode, 201);
    EXPECT_EQ(outcome.data, QByteArray(R"({"ok":true})"));
    const RecordedRequest recorded = server_.requests().at(0);
    EXPECT_EQ(recorded.method, "POST");
    EXPECT_EQ(recorded.body, R"({"a":1})");
    EXPECT_EQ(recorded.header("Authorization"), "Bearer x");
    std::vector<std::string> names;
    for (const auto& [name, value] : recorded.headers) {
        if (name == "Content-Type" || name == "Authorization") {
            names.push_back(name);
        }
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Content-Type", "Authorization"}));
}

TEST_F(URLSessionTest, AnErrorStatusIsAnAnswerNotATransportError) {
    server_.on("/missing", ScriptedReply{404, "<html>gone</html>", "text/html"});
    server_.on("/broken", ScriptedReply{500, ""});
    const Outcome missing = fetch("/missing");
    EXPECT_FALSE(missing.error);
    EXPECT_EQ(missing.response->statusCode, 404);
    EXPECT_EQ(missing.data, QByteArray("<html>gone</html>"));
    const Outcome broken = fetch("/broken");
    EXPECT_FALSE(broken.error);
    EXPECT_EQ(broken.response->statusCode, 500);
    EXPECT_EQ(broken.data, QByteArray()); // present, zero bytes
}

TEST_F(URLSessionTest, ADroppedOrTruncatedAnswerIsATransportErrorWithoutData) {
    server_.on("/drop", ScriptedReply{.fault = ScriptedReply::Fault::DropConnection});
    server_.on("/cut", ScriptedReply{.body = std::string(4096, 'x'),
                                     .fault = ScriptedReply::Fault::TruncateBody});
    for (const char* path : {"/drop", "/cut"}) {
        const Outcome outcome = fetch(path);
        ASSERT_TRUE(outcome.error) << path;
        EXPECT_FALSE(outcome.error->description.isEmpty());
        EXPECT_FALSE(outcome.data);
        EXPECT_FALSE(outcome.response);
    }
}

TEST_F(URLSessionTest, ASilentServerFailsAfterTheRequestTimeout) {
    server_.on("/silent", ScriptedReply{.fault = ScriptedReply::Fault::NeverAnswer});
    const Outcome outcome = fetch("/silent", 0.3);
    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(outcome.error->description, "The request timed out.");
    EXPECT_FALSE(outcome.response);
}

TEST_F(URLSessionTest, AServerOutsideTheTrustedAuthoritiesIsRefused) {
    QtURLSession untrusting{QtURLSessionOptions{}};
    server_.on("/", ScriptedReply{});
    URLRequest request;
    request.url = QUrl(QString::fromStdString(server_.baseUrl() + "/"));
    const Outcome outcome = fetch(std::move(request), untrusting);
    ASSERT_TRUE(outcome.error);
    EXPECT_TRUE(server_.requests().empty());
}
