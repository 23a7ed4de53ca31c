#pragma once

#include "composesessionviewcontroller.h"
#include "scriptedbackend.h"
#include "signinflow.h"

#include <QQuickItem>

/// Compose windows answering a message, signed out, with scripted sign-in answers.
class SignInFixture : public ScriptedBackendTest {
protected:
    static inline const QString sessionPath = QStringLiteral("/plugin-auth/session-request/");

    SignInFixture() {
        AuthManager::shared().setAccessToken(std::nullopt);
        ReplyEmailManager::shared().subject = QStringLiteral("Lunch");
        // The panel that follows a sign-in asks for a summary; a failure would be retried.
        answer("/api/v1/summarize", 200, R"({"response":"A summary."})");
    }

    [[nodiscard]] static QString pollPath(const QString& id) { return sessionPath + id; }
    [[nodiscard]] static ScriptedAnswer session(const QString& id, const QString& loginUrl) {
        return ScriptedAnswer::http(
            200, QStringLiteral(R"({"id":"%1","login_url":"%2"})").arg(id, loginUrl).toUtf8());
    }
    [[nodiscard]] static ScriptedAnswer pending() {
        return ScriptedAnswer::http(200, R"({"id":"s1","access_token":null})");
    }
    [[nodiscard]] static ScriptedAnswer token(const QString& value) {
        return ScriptedAnswer::http(
            200, QStringLiteral(R"({"id":"s1","access_token":"%1"})").arg(value).toUtf8());
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

    /// Whether the next poll waits for its 2.0 seconds now.
    [[nodiscard]] bool pollScheduled() const {
        return queue().nextDue() == queue().now() + SignInFlow::pollInterval;
    }
};
