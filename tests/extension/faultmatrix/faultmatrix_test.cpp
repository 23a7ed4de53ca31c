// Every request of the extension against every way the network or the backend can fail, on
// real HTTPS servers on loopback: what is logged, what the panel shows and what it toasts, and
// how long the GUI thread was ever kept from its event loop meanwhile.
#include "apimanager.h"
#include "authmanager.h"
#include "buttonstatemanager.h"
#include "chaterrortext.h"
#include "chatviewstate.h"
#include "composesessionviewcontroller.h"
#include "faultserver.h"
#include "guistallwatchdog.h"
#include "handleapirequests.h"
#include "incommingupdatesmanager.h"
#include "replyemailmanager.h"
#include "sessionpanel.h"
#include "shorttimeoutsession.h"
#include "summarizemanager.h"
#include "summarizestatemanager.h"
#include "testhttpsserver.h"
#include "testplatform.h"
#include "userdetailsmanager.h"

#include <QCoreApplication>
#include <algorithm>
#include <boost/asio/ip/tcp.hpp>
#include <cstdio>

namespace {

using Misbehaviour = FaultServer::Misbehaviour;

/// What a fault amounts to for the request it hits.
enum class Outcome { HostDown, PathBroken, BadStatus, NotJson, NotObject, WrongTypes, Big };

/// One outcome or several, for the rows of the table they share.
struct Outcomes {
    unsigned bits;
    constexpr Outcomes(Outcome outcome) // NOLINT: an outcome is a set of one
        : bits(1U << static_cast<unsigned>(outcome)) {}
    [[nodiscard]] constexpr bool contain(Outcome outcome) const {
        return (bits & Outcomes(outcome).bits) != 0;
    }
};
constexpr Outcomes operator|(Outcomes a, Outcomes b) {
    a.bits |= b.bits;
    return a;
}
constexpr Outcomes operator|(Outcome a, Outcome b) {
    return Outcomes(a) | Outcomes(b);
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

struct Fault {
    const char* name;
    Outcome outcome;
    int status = 200;
    Misbehaviour misbehaviour = Misbehaviour::None;
};

const Fault kFaults[] = {
    {"RefusedConnection", Outcome::HostDown},
    {"UnknownHost", Outcome::HostDown},
    {"UntrustedCertificate", Outcome::HostDown},
    {"ExpiredCertificate", Outcome::HostDown},
    {"StallAfterHeaders", Outcome::PathBroken, 200, Misbehaviour::StallAfterHeaders},
    {"StallMidBody", Outcome::PathBroken, 200, Misbehaviour::StallMidBody},
    {"ResetMidBody", Outcome::PathBroken, 200, Misbehaviour::ResetMidBody},
    {"Status500", Outcome::BadStatus, 500},
    {"Status502", Outcome::BadStatus, 502},
    {"Status503", Outcome::BadStatus, 503},
    {"HtmlPage", Outcome::NotJson},
    {"EmptyBody", Outcome::NotJson},
    {"TenMegabyteBody", Outcome::Big},
    {"WrongMemberTypes", Outcome::WrongTypes},
    {"TopLevelArray", Outcome::NotObject},
};

struct Endpoint {
    const char* name;
    std::string path;
    std::string good;
    std::string wrongTypes;
};

const std::string kSessionPath = "/plugin-auth/session-request/";
const std::string kSession = R"({"id":"s1","login_url":"https://login.example/s1"})";
const std::string kPending = R"({"id":"s1","access_token":null})";
const std::string kMe = R"({"email":"me@example.com","name":"Me"})";
const std::string kStarted = R"({"response":{"assistantId":"asst","threadId":"th"}})";
const std::string kAnswered = R"({"response":"On Friday."})";

const Endpoint kEndpoints[] = {
    {"summarize", "/api/v1/summarize", R"({"response":"A summary."})", R"({"response":5})"},
    {"generate reply", "/api/v1/response", R"({"response":"A reply."})", R"({"response":["x"]})"},
    {"start chat", "/api/v1/chat/start", kStarted,
     R"({"response":{"assistantId":"a","threadId":7}})"},
    {"send chat message", "/api/v1/chat/send", kAnswered, R"({"response":null})"},
    {"training data", "/api/v1/create-training-data", R"({"success":"stored"})",
     R"({"success":true})"},
    {"user details", "/api/v1/me", kMe, R"({"email":"me@example.com","name":7})"},
    {"version check", "/api/v1/apple-version",
     R"({"current_version":"2.0","download_url":"https://dl.example/2.0"})",
     R"({"current_version":2,"download_url":false})"},
    {"sign-in session", kSessionPath, kSession, R"({"id":7,"login_url":"https://login.example"})"},
    {"sign-in poll", kSessionPath + "s1", kPending, R"({"id":"s1","access_token":5})"},
};

/// Prefixes of lines that must be logged, split by '|' ("" where nothing is logged); the state
/// and the toast the panel shows afterwards. "{status}" stands for the fault's status code.
struct Expected {
    Request request;
    Outcomes outcomes;
    const char* lines;
    const char* state;
    const char* toast = "";
};

const char* const kGaveUp =
    "Retrying request, attempt 3...|Max retry attempts reached. Request failed.";
const char* const kNoResponse = "The 'response' key does not exist or is not a string.";
const char* const kChatDown =
    "Error sending chat request: |Error from start chat is: networkError(";
const char* const kNoSession = "Error parsing JSON response: ";
const char* const kNoPoll = "Error parsing access token JSON response: ";

const Expected kExpected[] = {
    {Request::Summarize, Outcome::HostDown, "Error: ", "progress"},
    {Request::Summarize, Outcome::PathBroken | Outcome::BadStatus | Outcome::NotJson, kGaveUp,
     "unavailable"},
    {Request::Summarize, Outcome::NotObject | Outcome::WrongTypes, kNoResponse, "nothing"},
    {Request::Summarize, Outcome::Big, "Response from server: ", "card"},

    {Request::GenerateReply, Outcome::HostDown | Outcome::PathBroken, "", "first",
     "Error sending request: "},
    {Request::GenerateReply, Outcome::BadStatus, "", "first", "Server error: {status}"},
    {Request::GenerateReply, Outcome::NotJson, "", "first",
     "Server error! Please try again later."},
    {Request::GenerateReply, Outcome::NotObject | Outcome::WrongTypes, "", "first", kNoResponse},
    {Request::GenerateReply, Outcome::Big, "", "regenerate", "Response generated successfully."},

    {Request::StartChat, Outcome::HostDown | Outcome::PathBroken, kChatDown, "error entries=1"},
    {Request::StartChat, Outcome::BadStatus,
     "Server error: {status}|Error from start chat is: serverError({status})", "error entries=1"},
    {Request::StartChat, Outcome::NotJson,
     "Server error. Please try again.|Error from start chat is: invalidData", "error entries=1"},
    {Request::StartChat, Outcome::NotObject,
     "Failed to cast JSON response to dictionary.|Error from start chat is: invalidData",
     "error entries=1"},
    {Request::StartChat, Outcome::WrongTypes,
     "The 'assistantId' or 'threadId' key does not exist or is not a string within the "
     "'response' object.|Error from start chat is: invalidData",
     "error entries=1"},
    {Request::StartChat, Outcome::Big, "Start chat body: ", "answered entries=2"},

    {Request::SendChat, Outcome::HostDown, kChatDown, "error entries=1"},
    {Request::SendChat, Outcome::PathBroken,
     "Error sending chat request: |Error from chat message is: networkError(", "error entries=1"},
    {Request::SendChat, Outcome::BadStatus,
     "Server error: {status}|Error from chat message is: serverError({status})", "error entries=1"},
    {Request::SendChat, Outcome::NotJson,
     "Server error. Please try again.|Error from chat message is: invalidData", "error entries=1"},
    {Request::SendChat, Outcome::NotObject,
     "Failed to cast JSON response to dictionary.|Error from chat message is: invalidData",
     "error entries=1"},
    {Request::SendChat, Outcome::WrongTypes,
     "The 'response' key does not exist or is not a string.|Error from chat message is: "
     "invalidData",
     "error entries=1"},
    {Request::SendChat, Outcome::Big, "Start chat body: ", "answered entries=2"},

    {Request::TrainingData, Outcome::HostDown | Outcome::PathBroken,
     "TRAINIG DATA BODY |Error sending request: ", ""},
    {Request::TrainingData, Outcome::BadStatus, "Server error: {status}", ""},
    {Request::TrainingData, Outcome::NotJson, "Server error. Please try again.", ""},
    {Request::TrainingData, Outcome::NotObject | Outcome::WrongTypes,
     "The 'sucess' key does not exist or is not a string.", ""},
    {Request::TrainingData, Outcome::Big, "TRAINIG DATA BODY ", "", "Success: stored"},

    {Request::UserDetails, Outcome::HostDown | Outcome::PathBroken,
     "Error: ", "before@example.com"},
    {Request::UserDetails, Outcome::BadStatus | Outcome::WrongTypes,
     "Email or name not found in response", "before@example.com"},
    {Request::UserDetails, Outcome::NotJson,
     "Error parsing response data from user details: ", "before@example.com"},
    {Request::UserDetails, Outcome::NotObject, "Server error. Please try again.",
     "before@example.com"},
    {Request::UserDetails, Outcome::Big, "ACCESS TOKEN: ", "me@example.com"},

    {Request::VersionCheck, Outcome::HostDown | Outcome::PathBroken,
     "Sending request to URL: |Error: ", "offered earlier"},
    {Request::VersionCheck, Outcome::BadStatus,
     "JSON response is: |New app version is null in response|New download URL is null in "
     "response",
     "none"},
    {Request::VersionCheck, Outcome::NotJson,
     "Error parsing response data from server: ", "offered earlier"},
    {Request::VersionCheck, Outcome::NotObject, "Server error. Please try again.",
     "not offered earlier"},
    {Request::VersionCheck, Outcome::WrongTypes,
     "New app version is null in response|New download URL is null in response", "none"},
    {Request::VersionCheck, Outcome::Big, "The new available version is: 2.0", "offered 2.0"},

    {Request::SignInSession, Outcome::HostDown | Outcome::PathBroken,
     "Error making GET request: ", "signed out"},
    {Request::SignInSession,
     Outcome::BadStatus | Outcome::NotJson | Outcome::NotObject | Outcome::WrongTypes, kNoSession,
     "signed out"},
    {Request::SignInSession, Outcome::Big,
     "BASE URL IN LOGIN FUNCTION IS: |Access token is null. Continuing request...",
     "page open, polling"},

    {Request::SignInPoll, Outcome::HostDown, "Error making GET request: ", "signed out"},
    {Request::SignInPoll, Outcome::PathBroken, "Error making GET request: ", "page open, polling"},
    {Request::SignInPoll,
     Outcome::BadStatus | Outcome::NotJson | Outcome::NotObject | Outcome::WrongTypes, kNoPoll,
     "page open, polling ended"},
    {Request::SignInPoll, Outcome::Big, "Access token is null. Continuing request...",
     "page open, polling"},
};

constexpr double kShortTimeout = 0.5;
constexpr std::size_t kTenMegabytes = 10 * 1024 * 1024;

/// A loopback port on which nothing listens.
std::uint16_t closedPort() {
    boost::asio::io_context io;
    boost::asio::ip::tcp::acceptor acceptor(
        io, {boost::asio::ip::make_address("127.0.0.1"), std::uint16_t(0)});
    return acceptor.local_endpoint().port();
}

class FaultMatrix : public testing::TestWithParam<int> {
protected:
    FaultMatrix()
        : fault_(kFaults[GetParam()]) {
        const std::string name = fault_.name;
        std::optional<std::filesystem::path> trusted;
        std::string base;
        if (fault_.misbehaviour != Misbehaviour::None || name == "ExpiredCertificate") {
            emulated_.emplace(name == "ExpiredCertificate" ? -1 : 2);
            base = emulated_->baseUrl();
            trusted = emulated_->certificateAuthorityFile();
        } else {
            server_.emplace();
            base = server_->baseUrl();
            if (name != "UntrustedCertificate") {
                trusted = server_->certificateAuthorityFile();
            }
        }
        if (name == "RefusedConnection") {
            base = "https://127.0.0.1:" + std::to_string(closedPort());
        } else if (name == "UnknownHost") {
            base = "https://quorvane-fault-matrix.invalid";
        }
        ::setenv("QUORVANE_DEV_URL", base.c_str(), 1);
        auto session = std::make_unique<ShortTimeoutSession>(TestPlatform::realSession(trusted),
                                                             kShortTimeout);
        session_ = session.get();
        platform_.emplace(std::move(session));
        EXPECT_TRUE(Platform::current().userDefaults().set("selectedApiEndpoint", QString("dev")));
        ReplyEmailManager::shared().subject = QStringLiteral("Lunch");
        ReplyEmailManager::shared().content = QStringLiteral("Can we meet on Tuesday?");
    }

    void answer(const std::string& path, int status, std::string body,
                const std::string& contentType = "application/json",
                Misbehaviour misbehaviour = Misbehaviour::None) {
        if (emulated_) {
            emulated_->on(path, std::move(body), misbehaviour);
        } else {
            server_->on(path, ScriptedReply{status, std::move(body), contentType});
        }
    }

    /// Every path answers as a healthy backend would, but the one of `request`, which has
    /// the fault.
    void prepare(Request request) {
        for (const auto& [path, body] : {std::pair{std::string("/api/v1/me"), kMe},
                                         {"/api/v1/chat/start", kStarted},
                                         {"/api/v1/chat/send", kAnswered},
                                         {kSessionPath, kSession},
                                         {kSessionPath + "s1", kPending}}) {
            answer(path, 200, body);
        }
        const Endpoint& endpoint = kEndpoints[static_cast<int>(request)];
        const std::string name = fault_.name;
        if (fault_.misbehaviour != Misbehaviour::None) {
            answer(endpoint.path, 200, endpoint.good, "application/json", fault_.misbehaviour);
        } else if (fault_.outcome == Outcome::BadStatus) {
            answer(endpoint.path, fault_.status, R"({"detail":"unavailable"})");
        } else if (name == "HtmlPage") {
            answer(endpoint.path, 200, "<html><body><h1>Service unavailable</h1></body></html>",
                   "text/html");
        } else if (name == "EmptyBody") {
            answer(endpoint.path, 200, "");
        } else if (name == "TenMegabyteBody") {
            answer(endpoint.path, 200,
                   R"({"padding":")" + std::string(kTenMegabytes, 'x') + "\"," +
                       endpoint.good.substr(1));
        } else if (name == "WrongMemberTypes") {
            answer(endpoint.path, 200, endpoint.wrongTypes);
        } else if (name == "TopLevelArray") {
            answer(endpoint.path, 200, "[" + endpoint.good + "]");
        }

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
        auto buttons = std::make_unique<ButtonStateManager>();
        auto summary = std::make_unique<SummarizeStateManager>();
        SessionPanel panel;
        panel.setButtonStateManager(buttons.get());
        panel.setSummarizeStateManager(summary.get());
        const auto toast = [&] {
            return buttons->showToast() ? buttons->toastMessage() : QString();
        };
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
            QString state = platform_->workspace().opened.empty() ? "signed out" : "page open";
            if (!platform_->workspace().opened.empty()) {
                state += polling ? ", polling" : ", polling ended";
            }
            platform_->workspace().opened.clear();
            return {controller->isLoggedIn() ? QString("signed in") : state, toast()};
        }
        }
        return {};
    }

    const Fault& fault_;
    std::optional<TestHttpsServer> server_;
    std::optional<FaultServer> emulated_;
    ShortTimeoutSession* session_ = nullptr;
    std::optional<TestPlatform> platform_;
    std::chrono::milliseconds lastStall_{0};
    std::chrono::milliseconds longestStall_{0};
};

QString withStatus(const char* text, int status) {
    return QString::fromUtf8(text).replace("{status}", QString::number(status));
}

TEST_P(FaultMatrix, EveryRequestLogsShowsAndToastsWhatItShouldWithoutBlockingTheGuiThread) {
    std::size_t requestsRun = 0;
    for (const Expected& expected : kExpected) {
        if (!expected.outcomes.contain(fault_.outcome)) {
            continue;
        }
        ++requestsRun;
        const char* request = kEndpoints[static_cast<int>(expected.request)].name;
        SCOPED_TRACE(request);
        const auto [state, toast] = run(expected.request);
        const QStringList lines = platform_->log().lines();
        const QString wanted = withStatus(expected.lines, fault_.status);
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
        const QString wantedToast = withStatus(expected.toast, fault_.status);
        EXPECT_TRUE(wantedToast.isEmpty() ? toast.isEmpty() : toast.startsWith(wantedToast))
            << "toast: " << toast.toStdString();
        std::printf("[fault matrix] %s | %s | %s | %s | %s | %lld ms\n", fault_.name, request,
                    lines.isEmpty() ? "(nothing)" : lines.last().left(90).toUtf8().constData(),
                    state.toUtf8().constData(), toast.isEmpty() ? "-" : toast.toUtf8().constData(),
                    static_cast<long long>(lastStall_.count()));
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
