// Every request of the extension against every way the network or the backend can fail, on a
// real HTTPS server on loopback: what is logged, what the panel shows and what it toasts, that
// each backend operation completes exactly once on the GUI thread, and how long the GUI thread
// was ever kept from its event loop meanwhile.
#include "api/handleapirequests.h"
#include "api/userdetails.h"
#include "api/versionoffer.h"
#include "chat/chatviewstate.h"
#include "entry/composesessionhandler.h"
#include "entry/composesessionviewcontroller.h"
#include "panel/buttonstatemanager.h"
#include "panel/sessionpanel.h"
#include "panel/summarizestatemanager.h"
#include "stores/chaterrortext.h"
#include "testhttpsserver.h"
#include "testplatform.h"
#include "teststores.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <boost/asio/ip/tcp.hpp>
#include <cstdio>
#include <string_view>
#include <thread>

namespace {

/// A set of enumerators, for the rows of a table that several of them share.
template <typename Enum> struct Set {
    unsigned bits = 0;
    constexpr Set() = default;
    constexpr Set(Enum value) // NOLINT: a value is a set of one
        : bits(1U << static_cast<unsigned>(value)) {}
    [[nodiscard]] constexpr bool contain(Enum value) const { return (bits & Set(value).bits) != 0; }
    friend constexpr Set operator|(Set a, Set b) {
        a.bits |= b.bits;
        return a;
    }
};

/// What a fault amounts to for the request it hits.
enum class Outcome { HostDown, PathBroken, BadStatus, NotJson, NotObject, WrongTypes, Big };
using enum Outcome;
constexpr Set<Outcome> operator|(Outcome a, Outcome b) {
    return Set(a) | b;
}

enum class Request { Summary, Reply, StartChat, SendChat, Training, User, Version, SignIn, Poll };
using enum Request;
constexpr Set<Request> kChat = Set(StartChat) | SendChat;

/// A path of the backend: its healthy answer and one with the wrong member types.
struct Endpoint {
    const char* name;
    std::string path;
    std::string good;
    std::string wrongTypes;
};

const std::string kSessionPath = "/plugin-auth/session-request/";

const Endpoint kEndpoints[] = {
    {"summarize", "/api/v1/summarize", R"({"response":"A summary."})", R"({"response":5})"},
    {"generate reply", "/api/v1/response", R"({"response":"A reply."})", R"({"response":["x"]})"},
    {"start chat", "/api/v1/chat/start", R"({"response":{"assistantId":"asst","threadId":"th"}})",
     R"({"response":{"assistantId":"a","threadId":7}})"},
    {"send chat message", "/api/v1/chat/send", R"({"response":"On Friday."})",
     R"({"response":null})"},
    {"training data", "/api/v1/create-training-data", R"({"success":"stored"})",
     R"({"success":true})"},
    {"user details", "/api/v1/me", R"({"email":"me@example.com","name":"Me"})",
     R"({"email":"me@example.com","name":7})"},
    {"version check", "/api/v1/apple-version",
     R"({"current_version":"2.0","download_url":"https://dl.example/2.0"})",
     R"({"current_version":2,"download_url":false})"},
    {"sign-in session", kSessionPath, R"({"id":"s1","login_url":"https://login.example/s1"})",
     R"({"id":7,"login_url":"https://login.example"})"},
    {"sign-in poll", kSessionPath + "s1", R"({"id":"s1","access_token":null})",
     R"({"id":"s1","access_token":5})"},
};

const char* const kUnavailable = R"({"detail":"unavailable"})";
const char* const kErrorPage = "<html><body><h1>Service unavailable</h1></body></html>";

/// How the path under test answers: `reply`, with the body made from the path's own answers
/// unless `body` is null.
struct Fault {
    const char* name = nullptr;
    Outcome outcome = HostDown;
    ScriptedReply reply{};
    std::string (*body)(const Endpoint&) = [](const Endpoint& e) { return e.good; };
};

using Misbehaviour = ScriptedReply::Fault;

const Fault kFaults[] = {
    {"RefusedConnection", HostDown},
    {"UnknownHost", HostDown},
    {"UntrustedCertificate", HostDown},
    {"ExpiredCertificate", HostDown},
    {"StallAfterHeaders", PathBroken, {.fault = Misbehaviour::StallAfterHeaders}},
    {"StallMidBody", PathBroken, {.fault = Misbehaviour::StallMidBody}},
    {"ResetMidBody", PathBroken, {.fault = Misbehaviour::ResetMidBody}},
    {"Status500", BadStatus, {500, kUnavailable}, nullptr},
    {"Status502", BadStatus, {502, kUnavailable}, nullptr},
    {"Status503", BadStatus, {503, kUnavailable}, nullptr},
    {"HtmlPage", NotJson, {200, kErrorPage, "text/html"}, nullptr},
    {"EmptyBody", NotJson, {200, ""}, nullptr},
    {"TenMegabyteBody",
     Big,
     {},
     [](const Endpoint& e) {
         return R"({"padding":")" + std::string(std::size_t{10} * 1024 * 1024, 'x') + "\"," +
                e.good.substr(1);
     }},
    // Copying or printing a value this deep recursed past the network thread's stack.
    {"DeepNesting",
     NotJson,
     {},
     [](const Endpoint& e) {
         constexpr std::size_t kLevels = 100'000;
         return R"({"x":)" + std::string(kLevels, '[') + std::string(kLevels, ']') + "," +
                e.good.substr(1);
     }},
    {"WrongMemberTypes", WrongTypes, {}, [](const Endpoint& e) { return e.wrongTypes; }},
    {"TopLevelArray", NotObject, {}, [](const Endpoint& e) { return "[" + e.good + "]"; }},
};

/// Prefixes of lines that must be logged, split by '|' ("" where nothing is logged); the state
/// and the toast the panel shows afterwards. "{status}" stands for the fault's status code,
/// "{chat}" for the chat request's name in the log ("start chat" or "chat message").
struct Expected {
    Set<Request> requests;
    Set<Outcome> outcomes;
    const char* lines = "";
    const char* state = "";
    const char* toast = "";
};

const char* const kGaveUp =
    "Retrying request, attempt 3...|Max retry attempts reached. Request failed.";
const char* const kNoResponse = "The 'response' key does not exist or is not a string.";
const char* const kChatFailed = "error entries=1";
const char* const kPolling = "page open, polling";
// Answers that are not a session; one with a server error's status is not read at all.
constexpr Set<Outcome> kNotASession = NotJson | NotObject | WrongTypes;

const Expected kExpected[] = {
    // A failed user check ends the progress and offers Summarize again, as running out of
    // retries does, though no summary was asked for.
    {Summary, HostDown, "Error: ", "unavailable"},
    {Summary, PathBroken | BadStatus | NotJson, kGaveUp, "unavailable"},
    {Summary, NotObject | WrongTypes, kNoResponse, "nothing"},
    {Summary, Big, "Response from server: ", "card"},

    {Reply, HostDown | PathBroken, "", "first", "Error sending request: "},
    {Reply, BadStatus, "", "first", "Server error: {status}"},
    {Reply, NotJson, "", "first", "Server error! Please try again later."},
    {Reply, NotObject | WrongTypes, "", "first", kNoResponse},
    {Reply, Big, "", "regenerate", "Response generated successfully."},

    // A chat message starts the chat first, so that a host that is down fails the start.
    {kChat, HostDown, "Error sending chat request: |Error from start chat is: networkError(",
     kChatFailed},
    {kChat, PathBroken, "Error sending chat request: |Error from {chat} is: networkError(",
     kChatFailed},
    {kChat, BadStatus, "Server error: {status}|Error from {chat} is: serverError({status})",
     kChatFailed},
    {kChat, NotJson, "Server error. Please try again.|Error from {chat} is: invalidData",
     kChatFailed},
    {kChat, NotObject,
     "Failed to cast JSON response to dictionary.|Error from {chat} is: invalidData", kChatFailed},
    {StartChat, WrongTypes,
     "The 'assistantId' or 'threadId' key does not exist or is not a string within the "
     "'response' object.|Error from {chat} is: invalidData",
     kChatFailed},
    {SendChat, WrongTypes,
     "The 'response' key does not exist or is not a string.|Error from {chat} is: invalidData",
     kChatFailed},
    {kChat, Big, "Start chat body: ", "answered entries=2"},

    {Training, HostDown | PathBroken, "TRAINIG DATA BODY |Error sending request: ", ""},
    {Training, BadStatus, "Server error: {status}", ""},
    {Training, NotJson, "Server error. Please try again.", ""},
    {Training, NotObject | WrongTypes, "The 'sucess' key does not exist or is not a string.", ""},
    {Training, Big, "TRAINIG DATA BODY ", "", "Success: stored"},

    {User, HostDown | PathBroken, "Error: ", "before@example.com"},
    {User, BadStatus | WrongTypes, "Email or name not found in response", "before@example.com"},
    {User, NotJson, "Error parsing response data from user details: ", "before@example.com"},
    {User, NotObject, "Server error. Please try again.", "before@example.com"},
    {User, Big, "ACCESS TOKEN: ", "me@example.com"},

    {Version, HostDown | PathBroken, "Sending request to URL: |Error: ", "offered earlier"},
    {Version, BadStatus,
     "JSON response is: |New app version is null in response|New download URL is null in "
     "response",
     "not offered none"},
    {Version, NotJson, "Error parsing response data from server: ", "offered earlier"},
    {Version, NotObject, "Server error. Please try again.", "not offered earlier"},
    {Version, WrongTypes,
     "New app version is null in response|New download URL is null in response",
     "not offered none"},
    {Version, Big, "The new available version is: 2.0", "offered 2.0"},

    {SignIn, HostDown | PathBroken, "Error making GET request: ", "signed out"},
    {Poll, HostDown, "Error making GET request: ", "signed out"},
    {Poll, PathBroken, "Error making GET request: ", kPolling},
    {SignIn, BadStatus, "Error making GET request: the server answered {status}", "signed out"},
    {Poll, BadStatus, "Error making GET request: the server answered {status}", kPolling},
    {SignIn, kNotASession, "Error parsing JSON response: ", "signed out"},
    {Poll, kNotASession, "Error parsing access token JSON response: ", "page open, polling ended"},
    {SignIn, Big, "BASE URL IN LOGIN FUNCTION IS: |Access token is null. Continuing request...",
     kPolling},
    {Poll, Big, "Access token is null. Continuing request...", kPolling},
};

/// A loopback port on which nothing listens.
std::uint16_t closedPort() {
    boost::asio::io_context io;
    boost::asio::ip::tcp::acceptor acceptor(
        io, {boost::asio::ip::make_address("127.0.0.1"), std::uint16_t(0)});
    return acceptor.local_endpoint().port();
}

/// The real session with every request's timeout cut short, so that a stalled answer fails
/// in a fraction of a second. Counts the requests that did not ask for the 60 s timeout and
/// those whose completion has not returned yet.
struct ShortTimeoutSession : URLSession {
    explicit ShortTimeoutSession(std::unique_ptr<URLSession> session)
        : real(std::move(session)) {}

    void dataTask(URLRequest request, DataTaskCompletion completion) override {
        wrongTimeouts += request.timeoutInterval != 60.0 ? 1 : 0;
        request.timeoutInterval = 0.5;
        ++*open;
        real->dataTask(std::move(request), [open = open, completion = std::move(completion)](
                                               auto data, auto response, auto error) {
            completion(std::move(data), response, std::move(error));
            --*open;
        });
    }
    void removeAllCachedResponses() override { real->removeAllCachedResponses(); }

    std::unique_ptr<URLSession> real;
    std::shared_ptr<std::atomic<int>> open = std::make_shared<std::atomic<int>>(0);
    std::atomic<int> wrongTimeouts = 0;
};

class FaultMatrix : public testing::TestWithParam<int> {
protected:
    FaultMatrix()
        : fault_(kFaults[GetParam()])
        , server_(
              {.certificateDays = std::string_view(fault_.name) == "ExpiredCertificate" ? -1 : 2}) {
        const std::string_view name = fault_.name;
        const std::string base = name == "RefusedConnection"
                                     ? "https://127.0.0.1:" + std::to_string(closedPort())
                                 : name == "UnknownHost" ? "https://quorvane-fault-matrix.invalid"
                                                         : server_.baseUrl();
        const auto trusted = name == "UntrustedCertificate"
                                 ? std::nullopt
                                 : std::optional(server_.certificateAuthorityFile());
        auto session = std::make_unique<ShortTimeoutSession>(TestPlatform::realSession(trusted));
        session_ = session.get();
        platform_.emplace(std::move(session));
        stores_.emplace(platform_->platform(), QString::fromStdString(base));
        EXPECT_TRUE(Platform::current().userDefaults().set("selectedApiEndpoint", QString("dev")));
        stores_->replyContext.subject = QStringLiteral("Lunch");
        stores_->replyContext.content = QStringLiteral("Can we meet on Tuesday?");
    }

    /// Runs the GUI thread, as its event loop would, until no request is open and no work is
    /// due; `start` is timed with it. With `retries`, work scheduled for later runs too.
    void drive(const std::function<void()>& start, bool retries = false) {
        VirtualMainQueue& queue = platform_->mainQueue();
        // A precise 10 ms timer: its lateness is how long the GUI thread was kept from its loop.
        QTimer tick;
        QElapsedTimer sinceTick;
        qint64 stall = 0;
        tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&tick, &QTimer::timeout,
                         [&] { stall = std::max(stall, sinceTick.restart() - 10); });
        sinceTick.start();
        tick.start(10);
        start();
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < limit) {
            queue.runDue();
            QCoreApplication::processEvents();
            const bool idle = *session_->open == 0;
            const std::optional<double> next = queue.nextDue();
            if (idle && (!next || *next > queue.now())) {
                if (!retries || !next) {
                    longestStall_ = std::max(longestStall_, std::chrono::milliseconds(stall));
                    return;
                }
                queue.advance(*next - queue.now());
                continue;
            }
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        ADD_FAILURE() << "requests still open after 30 s";
    }

    /// `then`, counting its runs and those off the GUI thread.
    template <typename Value> ApiCompletion<Value> counting(ApiCompletion<Value> then = {}) const {
        return [runs = runs_, offGui = offGuiThread_, gui = std::this_thread::get_id(),
                then = std::move(then)](ApiResult<Value> result) {
            ++*runs;
            *offGui += std::this_thread::get_id() == gui ? 0 : 1;
            if (then) {
                then(std::move(result));
            }
        };
    }

    /// Runs `request` against the fault, every other path answering as a healthy backend would,
    /// as the panel, the chat or the controller makes it, and checks what it left behind. Where
    /// those keep the completion to themselves, the same operation is then called here, so that
    /// its completions are counted.
    void check(Request request, const Expected& expected) {
        for (const Endpoint& endpoint : kEndpoints) {
            server_.on(endpoint.path, ScriptedReply{200, endpoint.good});
        }
        const Endpoint& endpoint = kEndpoints[static_cast<int>(request)];
        ScriptedReply reply = fault_.reply;
        if (fault_.body != nullptr) {
            reply.body = fault_.body(endpoint);
        }
        server_.on(endpoint.path, std::move(reply));

        platform_->log().clear();
        stores_->auth.setAccessToken(QStringLiteral("tok"));
        stores_->userDetails.setEmail(QStringLiteral("before@example.com"));
        stores_->replyContext.messageId = QString::fromLatin1(endpoint.name);
        stores_->summaries.requestFailed = false;
        IncommingUpdatesManager& updates = stores_->updates;
        updates.newVersion = QStringLiteral("earlier");
        updates.setIncommingUpdatesAvailable(true);

        const std::shared_ptr<ComposeWindow> window =
            ComposeSessionHandler::makeWindow(stores_->replyContext.snapshot(), stores_->services);
        ButtonStateManager buttons(*window);
        SummarizeStateManager summary(*window);
        SessionPanel panel;
        panel.setButtonStateManager(&buttons);
        panel.setSummarizeStateManager(&summary);
        const QString api = stores_->api.currentApiUrl();
        QString state;
        std::function<void()> operation;
        switch (request) {
        case Summary: {
            drive([&] { panel.summaryAreaShown(); }, true);
            const char* sections[] = {"nothing", "card", "unavailable", "progress"};
            state = sections[static_cast<int>(panel.summarySection())];
            operation = [&] {
                backend().summarize(QUrl(api + "/summarize"), api + "/me", "tok",
                                    {"Can we meet?", "me@x"}, "m", {}, {},
                                    counting<SummarizedResponse>());
            };
            break;
        }
        case Reply:
            drive([&] { panel.generateReply(); });
            state = panel.showsRegenerateLayout() ? "regenerate" : "first";
            operation = [&] {
                backend().generateResponse(QUrl(api + "/response"), "tok",
                                           {"m", "Can we meet?", "me@x"}, "m",
                                           counting<GeneratedResponse>());
            };
            break;
        case Training:
            drive([&] { panel.sendTrainingExample(); });
            operation = [&] {
                backend().submitTrainingData(QUrl(api + "/create-training-data"), "tok",
                                             {"me@x", "When?", "On Friday."}, counting<QString>());
            };
            break;
        case StartChat:
        case SendChat: {
            ChatViewState chat(*window);
            chat.setNewMessageText(QStringLiteral("When?"));
            drive([&] { chat.submitMessage(); });
            state = QStringLiteral("%1 entries=%2")
                        .arg(window->chatError().text() ? "error" : "answered")
                        .arg(chat.entries().size());
            operation = [&] {
                if (request == StartChat) {
                    backend().startChat(QUrl(api + "/chat/start"), "tok",
                                        {.email = "me@x", .email_content = "Can we meet?"},
                                        counting<ChatStartResponse>());
                    return;
                }
                backend().sendChatMessage(
                    QUrl(api + "/chat/send"), "tok",
                    {.assistantId = "a", .threadId = "t", .email = "me@x", .content = "When?"},
                    counting<ChatResponse>());
            };
            break;
        }
        case User:
            drive([&] {
                backend().fetchUserDetails(
                    api + "/me", "tok",
                    counting(storingUserDetailsIn(stores_->userDetails, stores_->auth, "tok")));
            });
            state = stores_->userDetails.email();
            break;
        case Version:
            drive([&] {
                backend().checkForNewVersion(api + "/apple-version", "1.0",
                                             counting<VersionOffer>([&](const auto& result) {
                                                 storeVersionCheck(result, updates);
                                             }));
            });
            state = (updates.incommingUpdatesAvailable() ? "offered " : "not offered ") +
                    updates.newVersion.value_or("none");
            break;
        case SignIn:
        case Poll: {
            const auto controller = ComposeSessionViewController::make(window);
            drive([&] { controller->requestLoginSession(); });
            VirtualMainQueue& queue = platform_->mainQueue();
            const bool polling = queue.nextDue() == queue.now() + 2.0;
            const bool opened = !platform_->workspace().opened.empty();
            platform_->workspace().opened.clear();
            state = controller->isLoggedIn() ? "signed in"
                    : !opened                ? "signed out"
                    : polling                ? "page open, polling"
                                             : "page open, polling ended";
            break;
        }
        }
        const QString toast = buttons.showToast() ? buttons.toastMessage() : QString();
        const QStringList lines = platform_->log().lines();
        const auto filled = [&](const char* text) {
            return QString::fromUtf8(text)
                .replace("{status}", QString::number(fault_.reply.status))
                .replace("{chat}", request == StartChat ? "start chat" : "chat message");
        };
        const QString wanted = filled(expected.lines);
        EXPECT_TRUE(!wanted.isEmpty() || lines.isEmpty()) << lines.join('\n').toStdString();
        for (const QString& prefix : wanted.split('|', Qt::SkipEmptyParts)) {
            EXPECT_TRUE(std::ranges::any_of(
                lines, [&](const QString& line) { return line.startsWith(prefix); }))
                << "no line starting with \"" << prefix.toStdString() << "\" in:\n"
                << lines.join('\n').left(2000).toStdString();
        }
        EXPECT_EQ(state, QString::fromUtf8(expected.state));
        const QString wantedToast = filled(expected.toast);
        EXPECT_TRUE(wantedToast.isEmpty() ? toast.isEmpty() : toast.startsWith(wantedToast))
            << "toast: " << toast.toStdString();
        if (fault_.reply.fault == Misbehaviour::StallAfterHeaders ||
            fault_.reply.fault == Misbehaviour::StallMidBody) {
            EXPECT_TRUE((lines.join('\n') + toast).contains("The request timed out."))
                << "a stall is reported as a timeout, not as a cancel";
        }
        if (request == SignIn || request == Poll) {
            return; // no backend operation of its own
        }
        if (operation) {
            drive(operation, request == Summary);
        }
        EXPECT_EQ(runs_->exchange(0), 1) << "the operation completes exactly once";
        EXPECT_EQ(offGuiThread_->exchange(0), 0) << "and on the GUI thread";
    }

    const Fault& fault_;
    TestHttpsServer server_;
    ShortTimeoutSession* session_ = nullptr;
    [[nodiscard]] HandleApiRequests backend() const { return HandleApiRequests(stores_->services); }

    std::optional<TestPlatform> platform_;
    std::optional<TestStores> stores_;
    std::shared_ptr<std::atomic<int>> runs_ = std::make_shared<std::atomic<int>>(0);
    std::shared_ptr<std::atomic<int>> offGuiThread_ = std::make_shared<std::atomic<int>>(0);
    std::chrono::milliseconds longestStall_{0};
};

TEST_P(FaultMatrix, EveryRequestLogsShowsAndCompletesOnceWithoutBlockingTheGuiThread) {
    std::size_t requestsRun = 0;
    for (const Expected& expected : kExpected) {
        for (int index = 0; index < int(std::size(kEndpoints)); ++index) {
            const auto request = static_cast<Request>(index);
            if (!expected.requests.contain(request) || !expected.outcomes.contain(fault_.outcome)) {
                continue;
            }
            ++requestsRun;
            SCOPED_TRACE(kEndpoints[index].name);
            check(request, expected);
        }
    }
    EXPECT_EQ(requestsRun, std::size(kEndpoints)) << "each request has one row per outcome";
    EXPECT_EQ(session_->wrongTimeouts, 0) << "every request asks for the 60 s timeout";
    std::printf("[fault matrix] %s | longest GUI-thread stall %lld ms\n", fault_.name,
                static_cast<long long>(longestStall_.count()));
    EXPECT_LT(longestStall_, std::chrono::milliseconds(1500));
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix, testing::Range(0, int(std::size(kFaults))),
                         [](const testing::TestParamInfo<int>& param) {
                             return std::string(kFaults[param.param].name);
                         });

} // namespace
