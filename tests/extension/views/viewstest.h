#pragma once

#include "../scriptedbackend.h"
#include "chat/chatviewstate.h"
#include "entry/composesessionviewcontroller.h"
#include "shownview.h"
#include "signin/loginviewstate.h"
#include "stores/summarizemanager.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

inline const QString kStart = QStringLiteral("/api/v1/chat/start");
inline const QString kSend = QStringLiteral("/api/v1/chat/send");
inline const ScriptedAnswer kStarted =
    ScriptedAnswer::http(200, R"({"response":{"assistantId":"asst_1","threadId":"th_1"}})");
inline const Qt::KeyboardModifiers kDeveloperKeys = Qt::ControlModifier | Qt::ShiftModifier;

inline ScriptedAnswer reply(const QString& text) {
    return ScriptedAnswer::http(200, QJsonDocument(QJsonObject{{"response", text}}).toJson());
}

/// The login view, the signed-in panel and the chat, on scripted answers.
class ViewsTest : public ScriptedBackendTest {
protected:
    ShownView& showLogin(int width = 400) {
        view_.reset();
        login_ = std::make_unique<LoginViewState>(*window_);
        return show("LoginView", {{"viewState", QVariant::fromValue(login_.get())}}, width, 550);
    }
    /// A new compose window, signed in: its panel loads the stored results as it appears.
    ShownView& showPanel(int width = 400) {
        view_.reset();
        controller_ = ComposeSessionViewController::make(window_);
        view_ = std::make_unique<ShownView>(controller_->view(), width, 650);
        return *view_;
    }
    ShownView& show(const QString& type, const QVariantMap& properties, int width, int height) {
        view_ = std::make_unique<ShownView>(type, properties, width, height);
        return *view_;
    }
    [[nodiscard]] std::unique_ptr<ShownView> chat(int width = 400) const {
        return std::make_unique<ShownView>(
            "ChatView", QVariantMap{{"window", QVariant::fromValue(window_.get())}}, width, 550);
    }
    [[nodiscard]] static ChatViewState& state(const ShownView& view) {
        return *view.root().property("viewState").value<ChatViewState*>();
    }
    static void ask(ShownView& view, const QString& question) {
        // Keys go to the active window, and a test may show more than one.
        view.window().requestActivate();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&view.window()));
        view.type("chatInput", question);
        view.key(Qt::Key_Return);
    }
    /// Gives the control the keyboard's focus, as Tab would.
    static void tabTo(ShownView& view, const QString& control) {
        view.window().requestActivate();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&view.window()));
        view.get(control).forceActiveFocus(Qt::TabFocusReason);
        view.settle();
    }
    void answered(ShownView& view) const {
        settle();
        view.settle();
    }
    [[nodiscard]] static QStringList shownTexts(const ShownView& view) {
        QStringList texts;
        for (const Message& entry : state(view).entries()) {
            texts << (entry.text ? "Q: " + *entry.text : "A: " + entry.response.value_or(""));
        }
        return texts;
    }
    /// Forgets what earlier panels stored, what they were told and their sign-out, in a new
    /// window on the message.
    void forget() {
        for (const QString& key : defaults().keys()) {
            defaults().remove(key);
        }
        EXPECT_TRUE(defaults().set("selectedApiEndpoint", QString("dev")));
        stores_.summaries.requestFailed = false;
        reopenWindow([](ReplyContext& context) { context.subject = "Lunch on Tuesday"; });
        stores_.auth.setAccessToken(QStringLiteral("tok"));
    }

    std::unique_ptr<LoginViewState> login_;
    std::shared_ptr<ComposeSessionViewController> controller_;
    std::unique_ptr<ShownView> view_; // last, so that it goes before what it shows
};
