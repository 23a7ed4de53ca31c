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

} // namespace

TEST(URLSessionTest, SendsMethodHeadersAndBodyOnlyToATrustedServer) {
    TestHttpsServer server;
    server.on("/echo", ScriptedReply{201, R"({"ok":true})"});
    URLRequest post;
    post.url = QUrl(QString::fromStdString(server.baseUrl() + "/echo"));
    post.httpMethod = "POST";
    post.setValue("application/json", "Content-Type");
    post.setValue("first", "Authorization");
    post.setValue("Bearer x", "Authorization"); // replaces in place
    post.httpBody = QByteArray(R"({"a":1})");

    QtURLSession untrusting{QtURLSessionOptions{}};
    EXPECT_TRUE(fetch(untrusting, post).error) << "its authority is not the system's";
    QtURLSession trusting{QtURLSessionOptions{server.certificateAuthorityFile(), std::nullopt}};
    const Outcome outcome = fetch(trusting, post);

    ASSERT_FALSE(outcome.error) << outcome.error->description.toStdString();
    EXPECT_EQ(outcome.response.value_or(HTTPURLResponse{}).statusCode, 201);
    EXPECT_EQ(outcome.data, QByteArray(R"({"ok":true})"));
    const std::vector<RecordedRequest> requests = server.requests();
    ASSERT_EQ(requests.size(), 1U) << "the untrusting session sent nothing";
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].body, R"({"a":1})");
    EXPECT_EQ(requests[0].header("Authorization"), "Bearer x");
}
