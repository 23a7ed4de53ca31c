#include "signinfixture.h"

#include <algorithm>

namespace {

const QString nullLine = QStringLiteral("Access token is null. Continuing request...");
const QString receivedLine = QStringLiteral("Access token received: ");
const ScriptedAnswer kReset = ScriptedAnswer::transportError("connection reset");
const ScriptedAnswer kNoBody = ScriptedAnswer::http(200, std::nullopt);

class SignInFlowTest : public SignInFixture {
protected:
    /// Opens a signed-out window, presses its login button and handles what arrives now.
    std::shared_ptr<ComposeSessionViewController> pressLogin() {
        auto controller = openWindow();
        log().clear();
        controller->requestLoginSession();
        settle();
        return controller;
    }

    [[nodiscard]] static QStringList startLines() {
        return {"CURRENT BASE API URL IN API MANAGER " + base, "URL is: " + base,
                "CURRENT BASE API URL IN API MANAGER " + base};
    }
};

TEST_F(SignInFlowTest, PollsAtOnceThenTwoSecondsAfterEachAnswerUntilTheSessionHasAToken) {
    network().answer(sessionPath,
                     ScriptedAnswer::http(200, R"({"id":"s1","access_token":"early",)"
                                               R"("login_url":"https://login.example/s1"})"));
    network().answer(pollPath("s1"), {kReset, kNoBody, pending(), token("tok-0123456789abcdef")});
    auto controller = pressLogin();
    for (int answered = 1; answered <= 3; ++answered) {
        EXPECT_TRUE(pollScheduled());
        EXPECT_EQ(AuthManager::shared().accessToken(), std::nullopt) << "the first answer's token";
        queue().advance(SignInFlow::pollInterval);
        settle();
    }

    const QStringList expected =
        startLines() + QStringList{"BASE URL IN LOGIN FUNCTION IS: " + base,
                                   "Error making GET request: connection reset", "No data received",
                                   nullLine, receivedLine + "tok-… (20 characters)"};
    EXPECT_EQ(log().lines().mid(0, expected.size()), expected)
        << "the panel then logs its own requests";
    EXPECT_EQ(platform_.workspace().opened, std::vector{QUrl("https://login.example/s1")});
    const std::vector<URLRequest> polls = network().requestsTo(pollPath("s1"));
    ASSERT_EQ(polls.size(), 4U);
    for (const URLRequest& request : {network().requestsTo(sessionPath).at(0), polls.front()}) {
        EXPECT_EQ(request.httpMethod, "GET");
        EXPECT_TRUE(request.headers.empty());
    }
    EXPECT_EQ(AuthManager::shared().accessToken(), QString("tok-0123456789abcdef"));
    EXPECT_TRUE(controller->isLoggedIn());
    EXPECT_EQ(layers(*controller), QStringList{"sessionTabsView"});
    EXPECT_FALSE(pollScheduled());
}

TEST_F(SignInFlowTest, AnswersThatAreNotUsableSessionsEndTheFlowOrThePolling) {
    const struct {
        const char* name;
        bool poll; // the answer is to the first poll, else to the session request
        ScriptedAnswer answer;
        QString line; // a prefix of a line after the start ("" for none)
        bool polling;
        bool signedIn = false;
    } rows[] = {
        {"session: transport error", false, kReset, "Error making GET request: ", false},
        {"session: no body", false, kNoBody, "No data received", false},
        {"session: empty body", false, ScriptedAnswer::http(200, ""),
         "Error parsing JSON response: ", false},
        {"session: error page", false,
         ScriptedAnswer::http(502, "<html><body>Bad gateway</body></html>"),
         "Error parsing JSON response: ", false},
        {"session: id a number", false,
         ScriptedAnswer::http(200, R"({"id":7,"login_url":"https://login.example"})"),
         "Error parsing JSON response: the member \"id\" is missing or not a string", false},
        {"session: no login_url", false,
         ScriptedAnswer::http(200, R"({"id":"s1","access_token":"t"})"), "", false},
        {"session: null login_url", false,
         ScriptedAnswer::http(200, R"({"id":"s1","login_url":null})"), "", false},
        {"session: id makes no URL", false, session("bad id%zz", "not a url"), "Invalid URL",
         false},
        {"poll: not found page", true, ScriptedAnswer::http(404, "<html>Not found</html>"),
         "Error parsing access token JSON response: ", false},
        {"poll: transport error", true, kReset, "Error making GET request: ", true},
        {"poll: pending", true, pending(), nullLine, true},
        {"poll: empty token", true, token(""), receivedLine + "… (0 characters)", false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        AuthManager::shared().setAccessToken(std::nullopt);
        network().answer(sessionPath,
                         row.poll ? session("s1", "https://login.example/s1") : row.answer);
        network().answer(pollPath("s1"), row.poll ? row.answer : pending());
        const std::size_t polls = network().requestsTo(pollPath("s1")).size();
        auto controller = pressLogin();
        const QStringList lines = log().lines();
        EXPECT_EQ(lines.mid(0, 3), startLines());
        const QStringList after = lines.mid(3);
        EXPECT_EQ(after.isEmpty(), row.line.isEmpty());
        EXPECT_TRUE(row.line.isEmpty() ||
                    std::any_of(after.begin(), after.end(),
                                [&](const QString& line) { return line.startsWith(row.line); }))
            << after.join('\n').toStdString();
        EXPECT_EQ(pollScheduled(), row.polling);
        EXPECT_EQ(controller->isLoggedIn(), row.signedIn);
        EXPECT_EQ(network().requestsTo(pollPath("s1")).size() - polls, row.poll ? 1U : 0U);
        EXPECT_EQ(platform_.workspace().opened.size(), row.poll ? 1U : 0U);
        platform_.workspace().opened.clear();
        controller.reset(); // a chain still polling ends at its next answer
        queue().advance(SignInFlow::pollInterval);
        settle();
    }
}

TEST_F(SignInFlowTest, OnlyWebLoginPagesOpenAndPollingStartsAllTheSame) {
    network().answer(pollPath("s1"), pending());
    const char* pages[] = {"javascript:alert(1)", "not a url", "https://login.example/s1"};
    for (const char* page : pages) {
        network().answer(sessionPath, session("s1", page));
        auto controller = pressLogin();
    }
    EXPECT_EQ(platform_.workspace().opened, std::vector{QUrl("https://login.example/s1")});
    EXPECT_EQ(network().requestsTo(pollPath("s1")).size(), std::size(pages));
}

TEST_F(SignInFlowTest, TwoPressesRunTwoChainsAndTheLaterTokenWins) {
    network().answer(sessionPath, {session("s1", "https://login.example/s1"),
                                   session("s2", "https://login.example/s2")});
    network().answer(pollPath("s1"), {pending(), token("from-s1")});
    network().answer(pollPath("s2"), token("from-s2"));
    auto controller = pressLogin();
    controller->buttonClicked();
    settle();
    EXPECT_EQ(AuthManager::shared().accessToken(), QString("from-s2"));
    queue().advance(SignInFlow::pollInterval);
    settle();
    EXPECT_EQ(AuthManager::shared().accessToken(), QString("from-s1"));
    EXPECT_EQ(platform_.workspace().opened.size(), 2U);
    EXPECT_EQ(layers(*controller), QStringList{"sessionTabsView"});
}

TEST_F(SignInFlowTest, AChainEndsAtItsNextAnswerOnceItsWindowIsGone) {
    network().answer(sessionPath, session("s1", "https://login.example/s1"));
    network().answer(pollPath("s1"), pending());
    auto controller = pressLogin();
    const std::weak_ptr<ComposeSessionViewController> window = controller;

    controller.reset(); // the host closes the window while the next poll waits
    EXPECT_FALSE(window.expired()) << "the wait holds the window";
    queue().advance(SignInFlow::pollInterval);
    settle();
    EXPECT_TRUE(window.expired());
    EXPECT_EQ(queue().nextDue(), std::nullopt) << "neither a poll nor the window's timer is left";
    EXPECT_EQ(network().requestsTo(pollPath("s1")).size(), 2U);
}

TEST_F(SignInFlowTest, ATokenAfterLogoutSignsInAgain) {
    network().answer(sessionPath, session("s1", "https://login.example/s1"));
    network().answer(pollPath("s1"), {pending(), token("again")});
    auto controller = pressLogin();
    AuthManager::shared().logout();
    queue().advance(SignInFlow::pollInterval);
    settle();
    EXPECT_EQ(AuthManager::shared().accessToken(), QString("again"));
    EXPECT_EQ(layers(*controller), QStringList{"sessionTabsView"});
}

} // namespace
