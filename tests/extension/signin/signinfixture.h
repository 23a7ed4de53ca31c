#pragma once

#include "backendfixture.h"
#include "composesessionviewcontroller.h"
#include "replyemailmanager.h"
#include "signinflow.h"

#include <QQuickItem>

/// A backend on loopback for compose windows answering a message: sign-in answers, windows to
/// open, and the main thread run as answers arrive.
class SignInFixture : public BackendFixture {
protected:
    static constexpr const char* sessionPath = "/plugin-auth/session-request/";

    SignInFixture() {
        selectDevDeployment();
        ReplyEmailManager::shared().subject = QStringLiteral("Lunch");
    }

    [[nodiscard]] static std::string pollPath(const std::string& id) { return sessionPath + id; }
    [[nodiscard]] static ScriptedReply session(const std::string& id, const std::string& loginUrl) {
        return {200, R"({"id":")" + id + R"(","login_url":")" + loginUrl + R"("})"};
    }
    [[nodiscard]] static ScriptedReply pending() {
        return {200, R"({"id":"s1","access_token":null,"login_url":"https://login.example/s1"})"};
    }
    [[nodiscard]] static ScriptedReply token(const std::string& value) {
        return {200, R"({"id":"s1","access_token":")" + value + R"("})"};
    }

    /// A compose window as the host opens it: made, then its view loaded.
    [[nodiscard]] static std::shared_ptr<ComposeSessionViewController> openWindow() {
        auto controller = ComposeSessionViewController::make();
        (void)controller->view();
        return controller;
    }

    /// The objectNames of the views a window shows, bottom first.
    [[nodiscard]] static QStringList layers(ComposeSessionViewController& controller) {
        QStringList names;
        for (const QQuickItem* item : controller.view().childItems()) {
            names << item->objectName();
        }
        return names;
    }

    /// Runs the main thread's work until `count` lines start with `prefix`.
    void waitForLines(const QString& prefix, qsizetype count = 1) {
        ASSERT_TRUE(queue().runUntil([&] {
            return platform_.log().linesStartingWith(prefix).size() >= count;
        })) << prefix.toStdString();
    }

    /// Runs the main thread until an answer that logs nothing, to a request sent once
    /// `postedCount` was `before`, has been handled there.
    void waitForSilentAnswer(std::uint64_t before) {
        ASSERT_TRUE(queue().runUntil([&] { return queue().postedCount() > before; }));
        queue().runDue();
    }

    /// Whether the next poll waits for its 2.0 seconds now.
    [[nodiscard]] bool pollScheduled() const {
        return queue().nextDue() == queue().now() + SignInFlow::pollInterval;
    }

    [[nodiscard]] VirtualMainQueue& queue() const { return platform_.mainQueue(); }
    [[nodiscard]] QStringList linesAfterStart() const { return platform_.log().lines().mid(3); }
};
