#include "authmanager.h"
#include "signinfixture.h"

namespace {

const QString nullLine = QStringLiteral("Access token is null. Continuing request...");
const QString receivedLine = QStringLiteral("Access token received: ");

class SignInFlowTest : public SignInFixture {
protected:
    /// Opens a signed-out window and presses its login button.
    std::shared_ptr<ComposeSessionViewController> pressLogin() {
        auto controller = openWindow();
        platform_.log().clear();
        controller->requestLoginSession();
        return controller;
    }

    [[nodiscard]] QStringList startLines() const {
        const QString base = QString::fromStdString(server_.baseUrl());
        return {"CURRENT BASE API URL IN API MANAGER " + base, "URL is: " + base,
                "CURRENT BASE API URL IN API MANAGER " + base};
    }
};

TEST_F(SignInFlowTest, PollsAtOnceThenTwoSecondsAfterEachAnswerUntilTheSessionHasAToken) {
    server_.on(sessionPath, ScriptedReply{200, R"({"id":"s1","access_token":"early",)"
                                               R"("login_url":"https://login.example/s1"})"});
    server_.on(pollPath("s1"), {pending(), pending(), pending(), token("tok-0123456789abcdef")});
    auto controller = pressLogin();

    for (int answered = 1; answered <= 3; ++answered) {
        waitForLines(nullLine, answered);
        EXPECT_TRUE(pollScheduled());
        EXPECT_EQ(AuthManager::shared().accessToken(), std::nullopt) << "the first answer's token";
        queue().advance(SignInFlow::pollInterval);
    }
    waitForLines(receivedLine);
    queue().runDue();

    const QString base = QString::fromStdString(server_.baseUrl());
    const QStringList expected =
        startLines() + QStringList{"BASE URL IN LOGIN FUNCTION IS: " + base, nullLine, nullLine,
                                   nullLine, receivedLine + "tok-… (20 characters)"};
    EXPECT_EQ(platform_.log().lines().mid(0, expected.size()), expected)
        << "the panel then logs its own requests";
    EXPECT_EQ(platform_.workspace().opened, std::vector{QUrl("https://login.example/s1")});
    EXPECT_EQ(server_.requestsTo(pollPath("s1")).size(), 4U);
    std::vector<RecordedRequest> signIn = server_.requestsTo(sessionPath);
    signIn.push_back(server_.requestsTo(pollPath("s1")).front());
    for (const RecordedRequest& request : signIn) {
        EXPECT_EQ(request.method, "GET");
        EXPECT_EQ(request.header("Authorization"), std::nullopt);
    }
    EXPECT_EQ(AuthManager::shared().accessToken(), QString("tok-0123456789abcdef"));
    EXPECT_TRUE(controller->isLoggedIn());
    EXPECT_EQ(layers(*controller), QStringList{"sessionTabsView"});
    EXPECT_FALSE(pollScheduled());
}

TEST_F(SignInFlowTest, ASessionAnswerWithoutAUsableSessionEndsTheFlowAndPollsNothing) {
    ScriptedReply dropped;
    dropped.fault = ScriptedReply::Fault::DropConnection;
    const struct {
        const char* name;
        ScriptedReply reply;
        const char* line; // the only line after the start lines, if any
    } rows[] = {
        {"transport error", dropped, "Error making GET request: "},
        {"empty body", {200, ""}, "Error parsing JSON response: "},
        {"error page",
         {502, "<html><body>Bad gateway</body></html>", "text/html"},
         "Error parsing JSON response: "},
        {"id is a number",
         {200, R"({"id":7,"login_url":"https://login.example"})"},
         "Error parsing JSON response: the member \"id\" is missing or not a string"},
        {"login_url absent", {200, R"({"id":"s1","access_token":"t"})"}, nullptr},
        {"login_url null", {200, R"({"id":"s1","login_url":null})"}, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        server_.on(sessionPath, row.reply);
        const std::uint64_t before = queue().postedCount();
        auto controller = pressLogin();
        if (row.line != nullptr) {
            waitForLines(row.line);
            ASSERT_EQ(linesAfterStart().size(), 1);
        } else {
            waitForSilentAnswer(before);
            EXPECT_EQ(platform_.log().lines(), startLines());
        }
        EXPECT_TRUE(platform_.workspace().opened.empty());
        EXPECT_FALSE(pollScheduled());
    }
    EXPECT_TRUE(server_.requestsTo(pollPath("s1")).empty());
}

TEST_F(SignInFlowTest, OnlyWebLoginPagesOpenAndPollingStartsAllTheSame) {
    server_.on(pollPath("s1"), pending());
    const char* pages[] = {"javascript:alert(1)", "file:///etc/passwd", "smb://host/share",
                           "not a url", "https://login.example/s1"};
    for (const char* page : pages) {
        server_.on(sessionPath, session("s1", page));
        auto controller = pressLogin();
        waitForLines(nullLine);
    }
    EXPECT_EQ(platform_.workspace().opened, std::vector{QUrl("https://login.example/s1")});
    EXPECT_EQ(server_.requestsTo(pollPath("s1")).size(), std::size(pages));
}

TEST_F(SignInFlowTest, AnIdThatMakesNoUrlEndsPollingBeforeItStarts) {
    server_.on(sessionPath, session("bad id%zz", "https://login.example/s1"));
    auto controller = pressLogin();
    waitForLines("Invalid URL");
    EXPECT_EQ(linesAfterStart().mid(1), QStringList{"Invalid URL"});
    EXPECT_FALSE(pollScheduled());
}

TEST_F(SignInFlowTest, PollAnswersThatAreNotSessionsEndPollingForGood) {
    server_.on(sessionPath, session("s1", "https://login.example/s1"));
    server_.on(pollPath("s1"), ScriptedReply{404, "<html>Not found</html>", "text/html"});
    auto controller = pressLogin();
    waitForLines("Error parsing access token JSON response: ");
    EXPECT_FALSE(pollScheduled());
    EXPECT_FALSE(controller->isLoggedIn());
    EXPECT_EQ(layers(*controller), QStringList{"loginView"});
}

TEST_F(SignInFlowTest, PollingGoesOnThroughANetworkOutageEveryTwoSeconds) {
    ScriptedReply broken; // a dropped connection would be sent again by Qt on its own
    broken.fault = ScriptedReply::Fault::TruncateBody;
    server_.on(sessionPath, session("s1", "https://login.example/s1"));
    server_.on(pollPath("s1"), {broken, broken, broken, pending(), token("t")});
    auto controller = pressLogin();
    for (int failed = 1; failed <= 3; ++failed) {
        waitForLines("Error making GET request: ", failed);
        EXPECT_TRUE(pollScheduled());
        queue().advance(SignInFlow::pollInterval);
    }
    waitForLines(nullLine);
    queue().advance(SignInFlow::pollInterval);
    waitForLines(receivedLine);
    queue().runDue();
    EXPECT_EQ(layers(*controller), QStringList{"sessionTabsView"});
}

TEST_F(SignInFlowTest, TwoPressesRunTwoChainsAndTheLaterTokenWins) {
    server_.on(sessionPath, {session("s1", "https://login.example/s1"),
                             session("s2", "https://login.example/s2")});
    server_.on(pollPath("s1"), {pending(), token("from-s1")});
    server_.on(pollPath("s2"), token("from-s2"));
    auto controller = pressLogin();
    waitForLines(nullLine);
    controller->buttonClicked();
    waitForLines(receivedLine);
    EXPECT_EQ(AuthManager::shared().accessToken(), QString("from-s2"));
    queue().advance(SignInFlow::pollInterval);
    waitForLines(receivedLine, 2);
    queue().runDue();
    EXPECT_EQ(AuthManager::shared().accessToken(), QString("from-s1"));
    EXPECT_EQ(platform_.workspace().opened.size(), 2U);
    EXPECT_EQ(layers(*controller), QStringList{"sessionTabsView"});
}

TEST_F(SignInFlowTest, AChainEndsAtItsNextAnswerOnceItsWindowIsGone) {
    server_.on(sessionPath, session("s1", "https://login.example/s1"));
    server_.on(pollPath("s1"), pending());
    auto controller = pressLogin();
    const std::weak_ptr<ComposeSessionViewController> window = controller;
    waitForLines(nullLine);

    controller.reset(); // the host closes the window while the next poll waits
    EXPECT_FALSE(window.expired()) << "the wait holds the window";
    queue().advance(SignInFlow::pollInterval);
    waitForLines(nullLine, 2);
    EXPECT_TRUE(window.expired());
    EXPECT_EQ(queue().nextDue(), std::nullopt) << "neither a poll nor the window's timer is left";
    EXPECT_EQ(server_.requestsTo(pollPath("s1")).size(), 2U);
}

TEST_F(SignInFlowTest, AnEmptyTokenSignsIn) {
    server_.on(sessionPath, session("s1", "https://login.example/s1"));
    server_.on(pollPath("s1"), token(""));
    auto controller = pressLogin();
    waitForLines(receivedLine);
    queue().runDue();
    EXPECT_EQ(AuthManager::shared().accessToken(), QString(""));
    EXPECT_EQ(platform_.log().linesStartingWith(receivedLine),
              QStringList{receivedLine + "… (0 characters)"});
    EXPECT_EQ(layers(*controller), QStringList{"sessionTabsView"});
}

TEST_F(SignInFlowTest, ATokenAfterLogoutSignsInAgain) {
    server_.on(sessionPath, session("s1", "https://login.example/s1"));
    server_.on(pollPath("s1"), {pending(), token("again")});
    auto controller = pressLogin();
    waitForLines(nullLine);
    AuthManager::shared().logout();
    queue().advance(SignInFlow::pollInterval);
    waitForLines(receivedLine);
    queue().runDue();
    EXPECT_EQ(AuthManager::shared().accessToken(), QString("again"));
    EXPECT_EQ(layers(*controller), QStringList{"sessionTabsView"});
}

} // namespace
