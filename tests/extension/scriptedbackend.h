#pragma once

#include "api/handleapirequests.h"
#include "entry/composesessionhandler.h"
#include "testplatform.h"
#include "teststores.h"

/// A signed-in reply to message "abc" whose backend is the test platform's FakeURLSession,
/// selected as the "dev" deployment, answering the panel's requests as a healthy backend would;
/// its stores are the test's own.
class ScriptedBackendTest : public testing::Test {
protected:
    static inline const QString base = QStringLiteral("https://backend.test");

    ScriptedBackendTest() {
        EXPECT_TRUE(defaults().set("selectedApiEndpoint", QString("dev")));
        ReplyEmailManager& context = stores_.replyContext;
        context.messageId = QStringLiteral("abc");
        context.subject = QStringLiteral("Lunch on Tuesday");
        context.content = QStringLiteral("Can we meet on Tuesday?");
        stores_.auth.setAccessToken(QStringLiteral("tok"));
        stores_.userDetails.setEmail(QStringLiteral("me@example.com"));
        answer("/api/v1/me", 200, R"({"email":"me@example.com","name":"Me"})");
        answer("/api/v1/response", 200, R"({"response":"Tuesday works."})");
        answer("/api/v1/summarize", 200, R"({"response":"A meeting request."})");
        answer("/api/v1/chat/start", 200, R"({"response":{"assistantId":"a1","threadId":"t1"}})");
        answer("/api/v1/create-training-data", 200, R"({"success":"stored"})");
        window_ = ComposeSessionHandler::makeWindow(context.snapshot(), services());
    }

    /// Answers `path` with `status` and `body`, again and again.
    void answer(const QString& path, qint64 status, const char* body) const {
        network().answer(path, ScriptedAnswer::http(status, QByteArray(body)));
    }
    /// Runs completions and the main-queue work they post until neither has anything to do now.
    static void settle(const TestPlatform& platform) {
        FakeURLSession& network = platform.network();
        VirtualMainQueue& queue = platform.mainQueue();
        // Idle first: what a completion posts is in the queue before it counts as completed.
        do {
            EXPECT_TRUE(network.waitUntilIdle());
            queue.runDue();
        } while (!network.waitUntilIdle(std::chrono::milliseconds(0)) ||
                 queue.nextDue().value_or(queue.now() + 1) <= queue.now());
    }
    void settle() const { settle(platform_); }

    /// Replaces the window by a new one on the same message, its context changed by `change`.
    template <typename Change> void reopenWindow(Change change) {
        ReplyContext context = window_->context();
        change(context);
        window_ = ComposeSessionHandler::makeWindow(std::move(context), services());
    }

    /// The bodies of the requests sent to `path`, in the order sent.
    [[nodiscard]] QList<QByteArray> bodiesSentTo(const QString& path) const {
        QList<QByteArray> bodies;
        for (const URLRequest& request : network().requestsTo(path)) {
            bodies << request.httpBody.value_or("");
        }
        return bodies;
    }

    [[nodiscard]] const ExtensionServices& services() const { return stores_.services; }
    /// The backend client on the test's network and main queue.
    [[nodiscard]] HandleApiRequests backend() const { return HandleApiRequests(services()); }
    [[nodiscard]] UserDefaults& defaults() const { return services().defaults; }
    [[nodiscard]] FakeURLSession& network() const { return platform_.network(); }
    [[nodiscard]] VirtualMainQueue& queue() const { return platform_.mainQueue(); }
    [[nodiscard]] CapturedLog& log() const { return platform_.log(); }

    TestPlatform platform_;
    TestStores stores_{platform_.platform(), base};
    /// The compose window of that reply.
    std::shared_ptr<ComposeWindow> window_;
};
