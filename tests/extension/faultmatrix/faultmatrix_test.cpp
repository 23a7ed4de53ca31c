// Every request of the extension against every way the network or the backend can fail, on a
// real HTTPS server on loopback: what is logged, what the panel shows and what it toasts, and
// how long the GUI thread was ever kept from its event loop meanwhile.
#include "apimanager.h"
#include "authmanager.h"
#include "buttonstatemanager.h"
#include "chaterrortext.h"
#include "chatviewstate.h"
#include "composesessionviewcontroller.h"
#include "handleapirequests.h"
#include "incommingupdatesmanager.h"
#include "replyemailmanager.h"
#include "sessionpanel.h"
#include "summarizemanager.h"
#include "summarizestatemanager.h"
#include "testhttpsserver.h"
#include "testplatform.h"
#include "userdetailsmanager.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <boost/asio/ip/tcp.hpp>
#include <cstdio>
#include <mutex>
#include <string_view>

namespace {

/// A set of enumerators, for the rows of a table that several of them share.
template <typename Enum> struct Set {
    unsigned bits;
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
constexpr Set<Outcome> operator|(Outcome a, Outcome b) {
    return Set(a) | b;
}

enum class Request {
    Summarize,
    GenerateReply,
    StartChat,
    SendChat,
    TrainingData,
    UserDetails,
    VersionCheck,
    SignInSession,
    SignInPoll
};
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
    const char* name;
    Outcome outcome;
    ScriptedReply reply{};
    std::string (*body)(const Endpoint&) = [](const Endpoint& e) { return e.good; };
};

using Misbehaviour = ScriptedReply::Fault;

const Fault kFaults[] = {
    {"RefusedConnection", Outcome::HostDown},
    {"UnknownHost", Outcome::HostDown},
    {"UntrustedCertificate", Outcome::HostDown},
    {"ExpiredCertificate", Outcome::HostDown},
    {"StallAfterHeaders", Outcome::PathBroken, {.fault = Misbehaviour::StallAfterHeaders}},
    {"StallMidBody", Outcome::PathBroken, {.fault = Misbehaviour::StallMidBody}},
    {"ResetMidBody", Outcome::PathBroken, {.fault = Misbehaviour::ResetMidBody}},
    {"Status500", Outcome::BadStatus, {500, kUnavailable}, nullptr},
    {"Status502", Outcome::BadStatus, {502, kUnavailable}, nullptr},
    {"Status503", Outcome::BadStatus, {503, kUnavailable}, nullptr},
    {"HtmlPage", Outcome::NotJson, {200, kErrorPage, "text/html"}, nullptr},
    {"EmptyBody", Outcome::NotJson, {200, ""}, nullptr},
    {"TenMegabyteBody",
     Outcome::Big,
     {},
     [](const Endpoint& e) {
         return R"({"padding":")" + std::string(10 * 1024 * 1024, 'x') + "\"," + e.good.substr(1);
     }},
    {"WrongMemberTypes", Outcome::WrongTypes, {}, [](const Endpoint& e) { return e.wrongTypes; }},
    {"TopLevelArray", Outcome::NotObject, {}, [](const Endpoint& e) { return "[" + e.good + "]"; }},
};

/// Prefixes of lines that must be logged, split by '|' ("" where nothing is logged); the state
/// and the toast the panel shows afterwards. "{status}" stands for the fault's status code,
/// "{chat}" for the chat request's name in the log ("start chat" or "chat message").
struct Expected {
    Set<Request> requests;
    Set<Outcome> outcomes;
    const char* lines;
    const char* state;
    const char* toast = "";
};

const char* const kGaveUp =
    "Retrying request, attempt 3...|Max retry attempts reached. Request failed.";
const char* const kNoResponse = "The 'response' key does not exist or is not a string.";
const char* const kChatFailed = "error entries=1";
const char* const kPolling = "page open, polling";

const Expected kExpected[] = {
    {Summarize, Outcome::HostDown, "Error: ", "progress"},
    {Summarize, Outcome::PathBroken | Outcome::BadStatus | Outcome::NotJson, kGaveUp,
     "unavailable"},
    {Summarize, Outcome::NotObject | Outcome::WrongTypes, kNoResponse, "nothing"},
    {Summarize, Outcome::Big, "Response from server: ", "card"},

    {GenerateReply, Outcome::HostDown | Outcome::PathBroken, "", "first",
     "Error sending request: "},
    {GenerateReply, Outcome::BadStatus, "", "first", "Server error: {status}"},
    {GenerateReply, Outcome::NotJson, "", "first", "Server error! Please try again later."},
    {GenerateReply, Outcome::NotObject | Outcome::WrongTypes, "", "first", kNoResponse},
    {GenerateReply, Outcome::Big, "", "regenerate", "Response generated successfully."},

    // A chat message starts the chat first, so that a host that is down fails the start.
    {kChat, Outcome::HostDown,
     "Error sending chat request: |Error from start chat is: networkError(", kChatFailed},
    {kChat, Outcome::PathBroken, "Error sending chat request: |Error from {chat} is: networkError(",
     kChatFailed},
    {kChat, Outcome::BadStatus,
     "Server error: {status}|Error from {chat} is: serverError({status})", kChatFailed},
    {kChat, Outcome::NotJson, "Server error. Please try again.|Error from {chat} is: invalidData",
     kChatFailed},
    {kChat, Outcome::NotObject,
     "Failed to cast JSON response to dictionary.|Error from {chat} is: invalidData", kChatFailed},
    {StartChat, Outcome::WrongTypes,
     "The 'assistantId' or 'threadId' key does not exist or is not a string within the "
     "'response' object.|Error from {chat} is: invalidData",
     kChatFailed},
    {SendChat, Outcome::WrongTypes,
     "The 'response' key does not exist or is not a string.|Error from {chat} is: invalidData",
     kChatFailed},
    {kChat, Outcome::Big, "Start chat body: ", "answered entries=2"},

    {TrainingData, Outcome::HostDown | Outcome::PathBroken,
     "TRAINIG DATA BODY |Error sending request: ", ""},
    {TrainingData, Outcome::BadStatus, "Server error: {status}", ""},
    {TrainingData, Outcome::NotJson, "Server error. Please try again.", ""},
    {TrainingData, Outcome::NotObject | Outcome::WrongTypes,
     "The 'sucess' key does not exist or is not a string.", ""},
    {TrainingData, Outcome::Big, "TRAINIG DATA BODY ", "", "Success: stored"},

    {UserDetails, Outcome::HostDown | Outcome::PathBroken, "Error: ", "before@example.com"},
    {UserDetails, Outcome::BadStatus | Outcome::WrongTypes, "Email or name not found in response",
     "before@example.com"},
    {UserDetails, Outcome::NotJson,
     "Error parsing response data from user details: ", "before@example.com"},
    {UserDetails, Outcome::NotObject, "Server error. Please try again.", "before@example.com"},
    {UserDetails, Outcome::Big, "ACCESS TOKEN: ", "me@example.com"},

    {VersionCheck, Outcome::HostDown | Outcome::PathBroken,
     "Sending request to URL: |Error: ", "offered earlier"},
    {VersionCheck, Outcome::BadStatus,
     "JSON response is: |New app version is null in response|New download URL is null in "
     "response",
     "none"},
    {VersionCheck, Outcome::NotJson,
     "Error parsing response data from server: ", "offered earlier"},
    {VersionCheck, Outcome::NotObject, "Server error. Please try again.", "not offered earlier"},
    {VersionCheck, Outcome::WrongTypes,
     "New app version is null in response|New download URL is null in response", "none"},
    {VersionCheck, Outcome::Big, "The new available version is: 2.0", "offered 2.0"},

    {SignInSession, Outcome::HostDown | Outcome::PathBroken,
     "Error making GET request: ", "signed out"},
    {SignInPoll, Outcome::HostDown, "Error making GET request: ", "signed out"},
    {SignInPoll, Outcome::PathBroken, "Error making GET request: ", kPolling},
    {SignInSession,
     Outcome::BadStatus | Outcome::NotJson | Outcome::NotObject | Outcome::WrongTypes,
     "Error parsing JSON response: ", "signed out"},
    {SignInPoll, Outcome::BadStatus | Outcome::NotJson | Outcome::NotObject | Outcome::WrongTypes,
     "Error parsing access token JSON response: ", "page open, polling ended"},
    {SignInSession, Outcome::Big,
     "BASE URL IN LOGIN FUNCTION IS: |Access token is null. Continuing request...", kPolling},
    {SignInPoll, Outcome::Big, "Access token is null. Continuing request...", kPolling},
};

constexpr double kShortTimeout = 0.5;

/// A loopback port on which nothing listens.
std::uint16_t closedPort() {
    boost::asio::io_context io;
    boost::asio::ip::tcp::acceptor acceptor(
        io, {boost::asio::ip::make_address("127.0.0.1"), std::uint16_t(0)});
    return acceptor.local_endpoint().port();
}

/// The real session with every request's timeout cut short, so that a stalled answer fails
/// in a fraction of a second. Keeps the timeouts the requests asked for and counts the
/// requests whose completion has not returned yet.
class ShortTimeoutSession : public URLSession {
public:
    ShortTimeoutSession(std::unique_ptr<URLSession> real, double timeout)
        : real_(std::move(real))
        , timeout_(timeout) {}

    void dataTask(URLRequest request, DataTaskCompletion completion) override {
        {
            const std::lock_guard lock(mutex_);
            askedTimeouts_.push_back(request.timeoutInterval);
        }
        request.timeoutInterval = timeout_;
        ++*open_;
        real_->dataTask(std::move(request), [open = open_, completion = std::move(completion)](
                                                auto data, auto response, auto error) {
            completion(std::move(data), response, std::move(error));
            --*open;
        });
    }
    void removeAllCachedResponses() override { real_->removeAllCachedResponses(); }

    [[nodiscard]] int openRequests() const { return *open_; }
    [[nodiscard]] std::vector<double> askedTimeouts() const {
        const std::lock_guard lock(mutex_);
        return askedTimeouts_;
    }

private:
    std::unique_ptr<URLSession> real_;
    double timeout_;
    std::shared_ptr<std::atomic<int>> open_ = std::make_shared<std::atomic<int>>(0);
    mutable std::mutex mutex_;
    std::vector<double> askedTimeouts_;
};

/// A precise 10 ms timer on the GUI thread that measures its own lateness: the longest time
/// that thread was kept from its event loop while the watchdog lived.
class GuiStallWatchdog {
public:
    GuiStallWatchdog() {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            longest_ = std::max(longest_, sinceTick_.restart() - kInterval);
        });
        sinceTick_.start();
        timer_.start(kInterval);
    }

    [[nodiscard]] std::chrono::milliseconds longestStall() const {
        return std::chrono::milliseconds(longest_);
    }

private:
    static constexpr int kInterval = 10; // milliseconds
    QTimer timer_;
    QElapsedTimer sinceTick_;
    qint64 longest_ = 0;
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
        ::setenv("QUORVANE_DEV_URL", base.c_str(), 1);
        const auto trusted = name == "UntrustedCertificate"
                                 ? std::nullopt
                                 : std::optional(server_.certificateAuthorityFile());
        auto session = std::make_unique<ShortTimeoutSession>(TestPlatform::realSession(trusted),
                                                             kShortTimeout);
        session_ = session.get();
        platform_.emplace(std::move(session));
        EXPECT_TRUE(Platform::current().userDefaults().set("selectedApiEndpoint", QString("dev")));
        ReplyEmailManager::shared().subject = QStringLiteral("Lunch");
        ReplyEmailManager::shared().content = QStringLiteral("Can we meet on Tuesday?");
    }

    /// Every path answers as a healthy backend would, but the one of `request`, which has
    /// the fault.
    void prepare(Request request) {
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
        AuthManager::shared().setAccessToken(QStringLiteral("tok"));
        UserDetailsManager::shared().setEmail(QStringLiteral("before@example.com"));
        ReplyEmailManager::shared().messageId = QString::fromLatin1(endpoint.name);
        SummarizeManager::shared().requestFailed = false;
        ChatErrorText::shared().setText(std::nullopt);
        IncommingUpdatesManager& updates = IncommingUpdatesManager::shared();
        updates.newVersion = QStringLiteral("earlier");
        updates.setIncommingUpdatesAvailable(true);
    }

    /// Runs the GUI thread, as its event loop would, until no request is open and no work is
    /// due; `start` is timed with it. With `retries`, work scheduled for later runs too.
    void drive(const std::function<void()>& start, bool retries = false) {
        VirtualMainQueue& queue = platform_->mainQueue();
        const GuiStallWatchdog watchdog;
        start();
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < limit) {
            queue.runDue();
            QCoreApplication::processEvents();
            const bool idle = session_->openRequests() == 0;
            const std::optional<double> next = queue.nextDue();
            if (idle && (!next || *next > queue.now())) {
                if (!retries || !next) {
                    lastStall_ = watchdog.longestStall();
                    longestStall_ = std::max(longestStall_, lastStall_);
                    return;
                }
                queue.advance(*next - queue.now());
                continue;
            }
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        ADD_FAILURE() << "requests still open after 30 s";
    }

    /// Runs `request` against the fault; gives the panel's state and its toast.
    std::pair<QString, QString> run(Request request) {
        prepare(request);
        ButtonStateManager buttons;
        SummarizeStateManager summary;
        SessionPanel panel;
        panel.setButtonStateManager(&buttons);
        panel.setSummarizeStateManager(&summary);
        const auto toast = [&] { return buttons.showToast() ? buttons.toastMessage() : QString(); };
        switch (request) {
        case Request::Summarize: {
            drive([&] { panel.summaryAreaShown(); }, true);
            const char* sections[] = {"nothing", "card", "unavailable", "progress"};
            return {sections[static_cast<int>(panel.summarySection())], toast()};
        }
        case Request::GenerateReply:
            drive([&] { panel.generateReply(); });
            return {panel.showsRegenerateLayout() ? "regenerate" : "first", toast()};
        case Request::TrainingData:
            drive([&] { panel.sendTrainingExample(); });
            return {"", toast()};
        case Request::StartChat:
        case Request::SendChat: {
            ChatViewState chat;
            chat.setNewMessageText(QStringLiteral("When?"));
            drive([&] { chat.submitMessage(); });
            return {QStringLiteral("%1 entries=%2")
                        .arg(ChatErrorText::shared().text() ? "error" : "answered")
                        .arg(chat.entries().size()),
                    toast()};
        }
        case Request::UserDetails:
            drive([] {
                HandleApiRequests::fetchUserDetails(currentApiUrl() + "/me", "tok",
                                                    [](UserDetailsManager&) {});
            });
            return {UserDetailsManager::shared().email(), toast()};
        case Request::VersionCheck: {
            drive([] {
                HandleApiRequests::checkForNewVersion(currentApiUrl() + "/apple-version", "1.0");
            });
            const IncommingUpdatesManager& updates = IncommingUpdatesManager::shared();
            const QString version = updates.newVersion.value_or("none");
            return {updates.incommingUpdatesAvailable() ? "offered " + version
                    : version == "none"                 ? QString("none")
                                                        : "not offered " + version,
                    toast()};
        }
        case Request::SignInSession:
        case Request::SignInPoll: {
            const auto controller = ComposeSessionViewController::make();
            drive([&] { controller->requestLoginSession(); });
            VirtualMainQueue& queue = platform_->mainQueue();
            const bool polling = queue.nextDue() == queue.now() + 2.0;
            const bool opened = !platform_->workspace().opened.empty();
            platform_->workspace().opened.clear();
            return {controller->isLoggedIn() ? "signed in"
                    : !opened                ? "signed out"
                    : polling                ? "page open, polling"
                                             : "page open, polling ended",
                    toast()};
        }
        }
        return {};
    }

    /// `text` with the fault's status and the name the log gives the chat request filled in.
    [[nodiscard]] QString filled(const char* text, Request request) const {
        return QString::fromUtf8(text)
            .replace("{status}", QString::number(fault_.reply.status))
            .replace("{chat}", request == Request::StartChat ? "start chat" : "chat message");
    }

    /// Runs `request` and checks what it logged, showed and toasted against `expected`.
    void check(Request request, const Expected& expected) {
        const char* name = kEndpoints[static_cast<int>(request)].name;
        SCOPED_TRACE(name);
        const auto [state, toast] = run(request);
        const QStringList lines = platform_->log().lines();
        const QString wanted = filled(expected.lines, request);
        if (wanted.isEmpty()) {
            EXPECT_TRUE(lines.isEmpty()) << lines.join('\n').left(500).toStdString();
        }
        for (const QString& prefix : wanted.split('|', Qt::SkipEmptyParts)) {
            EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                                    [&](const QString& line) { return line.startsWith(prefix); }))
                << "no line starting with \"" << prefix.toStdString() << "\" in:\n"
                << lines.join('\n').left(2000).toStdString();
        }
        EXPECT_EQ(state, expected.state);
        const QString wantedToast = filled(expected.toast, request);
        EXPECT_TRUE(wantedToast.isEmpty() ? toast.isEmpty() : toast.startsWith(wantedToast))
            << "toast: " << toast.toStdString();
        std::printf("[fault matrix] %s | %s | %s | %s | %s | %lld ms\n", fault_.name, name,
                    lines.isEmpty() ? "(nothing)" : lines.last().left(90).toUtf8().constData(),
                    state.toUtf8().constData(), toast.isEmpty() ? "-" : toast.toUtf8().constData(),
                    static_cast<long long>(lastStall_.count()));
    }

    const Fault& fault_;
    TestHttpsServer server_;
    ShortTimeoutSession* session_ = nullptr;
    std::optional<TestPlatform> platform_;
    std::chrono::milliseconds lastStall_{0};
    std::chrono::milliseconds longestStall_{0};
};

TEST_P(FaultMatrix, EveryRequestLogsShowsAndToastsWhatItShouldWithoutBlockingTheGuiThread) {
    std::size_t requestsRun = 0;
    for (const Expected& expected : kExpected) {
        for (int index = 0; index < int(std::size(kEndpoints)); ++index) {
            const auto request = static_cast<Request>(index);
            if (expected.requests.contain(request) && expected.outcomes.contain(fault_.outcome)) {
                ++requestsRun;
                check(request, expected);
            }
        }
    }
    EXPECT_EQ(requestsRun, std::size(kEndpoints)) << "each request has one row per outcome";
    for (const double timeout : session_->askedTimeouts()) {
        EXPECT_EQ(timeout, 60.0) << "every request asks for the 60 s timeout";
    }
    std::printf("[fault matrix] %s | longest GUI-thread stall %lld ms\n", fault_.name,
                static_cast<long long>(longestStall_.count()));
    EXPECT_LT(longestStall_, std::chrono::milliseconds(1500));
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix, testing::Range(0, int(std::size(kFaults))),
                         [](const testing::TestParamInfo<int>& param) {
                             return std::string(kFaults[param.param].name);
                         });

} // namespace
