#pragma once

#include "../scriptedbackend.h"
#include "chat/chatviewstate.h"
#include "contrast.h"
#include "entry/composesessionviewcontroller.h"
#include "shownview.h"
#include "signin/loginviewstate.h"
#include "stores/incommingupdatesmanager.h"
#include "stores/summarizemanager.h"

#include <QAccessible>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

inline const QString kStart = QStringLiteral("/api/v1/chat/start");
inline const QString kSend = QStringLiteral("/api/v1/chat/send");
inline const ScriptedAnswer kStarted =
    ScriptedAnswer::http(200, R"({"response":{"assistantId":"asst_1","threadId":"th_1"}})");
inline const Qt::KeyboardModifiers kDeveloperKeys = Qt::ControlModifier | Qt::ShiftModifier;
inline const QString kSummary = "Ann asks whether Tuesday at noon suits you for lunch near the "
                                "office, and whether the budget slides can come along.";
inline const QString kResponse = "Hi Ann,\n\nTuesday at noon works for me — I will bring the "
                                 "budget slides.\n\nBest,\nMe";

inline ScriptedAnswer reply(const QString& text) {
    return ScriptedAnswer::http(200, QJsonDocument(QJsonObject{{"response", text}}).toJson());
}

/// Calls `visit` on `item` and on every item below it, unless hidden.
inline void forEachShown(const QQuickItem& item,
                         const std::function<void(const QQuickItem&)>& visit) {
    if (item.isVisible()) {
        visit(item);
        for (const QQuickItem* child : item.childItems()) {
            forEachShown(*child, visit);
        }
    }
}

/// The login view, the signed-in panel and the chat, on a backend that answers the panel.
class ViewsTest : public ScriptedBackendTest {
protected:
    ViewsTest() {
        network().answer("/api/v1/summarize", reply(kSummary));
        network().answer("/api/v1/response", reply(kResponse));
        network().answer(kStart, kStarted);
        // The programs' bundle has a version, which the developer menu shows.
        platform_.bundle().info = QVariantMap{{"CFBundleShortVersionString", "1.0.0"}};
    }

    ShownView& showLogin(int width = 400) {
        view_.reset();
        login_ = std::make_unique<LoginViewState>(*window_);
        view_ = std::make_unique<ShownView>(
            "LoginView", QVariantMap{{"viewState", QVariant::fromValue(login_.get())}}, width, 550);
        return *view_;
    }
    /// A new compose window, signed in: its panel loads the stored results as it appears.
    ShownView& showPanel(int width = 400) {
        view_.reset();
        controller_ = ComposeSessionViewController::make(window_);
        view_ = std::make_unique<ShownView>(controller_->view(), width, 650);
        return *view_;
    }
    /// A panel whose summary failed after every retry, which offers the paste box.
    void showUnavailablePanel(int width = 400) {
        forget();
        answer("/api/v1/summarize", 500, "{}");
        showPanel(width);
        for (int send = 0; send < 5; ++send) {
            answered(*view_);
            queue().advance(2.0);
        }
    }
    [[nodiscard]] std::unique_ptr<ShownView> chat(int width = 400) const {
        return std::make_unique<ShownView>(
            "ChatView", QVariantMap{{"window", QVariant::fromValue(window_.get())}}, width, 550);
    }
    [[nodiscard]] static ChatViewState& state(const ShownView& view) {
        return *view.root().property("viewState").value<ChatViewState*>();
    }
    static void ask(ShownView& view, const QString& question) {
        tabTo(view, "chatInput");
        view.type("chatInput", question);
        view.key(Qt::Key_Return);
    }
    /// Gives the control the keyboard's focus, as Tab would.
    static void tabTo(ShownView& view, const QString& control) {
        // Keys go to the active window, and a test may show more than one.
        view.window().requestActivate();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&view.window()));
        QTest::keyClick(&view.window(), Qt::Key_Shift); // the keyboard, not a pointer, used last
        view.get(control).forceActiveFocus(Qt::TabFocusReason);
    }
    void answered(ShownView& view) const {
        settle();
        view.settle();
    }
    void offerUpdate(bool offered) {
        stores_.updates.updateUrl = QStringLiteral("https://example.com/get");
        stores_.updates.setIncommingUpdatesAvailable(offered);
        // The notice fades in and out on animation ticks, which a loaded machine delays.
        EXPECT_TRUE(QTest::qWaitFor([&] { return view_->shows("updatePanel") == offered; }));
    }
    /// A new signed-in window on the message, without what earlier panels stored or were told.
    void forget() {
        defaults().remove(defaults().keys());
        EXPECT_TRUE(defaults().set("selectedApiEndpoint", QString("dev")));
        stores_.summaries.requestFailed = false;
        reopenWindow([](ReplyContext& context) { context.subject = "Lunch on Tuesday"; });
        stores_.auth.setAccessToken(QStringLiteral("tok"));
    }

    /// Saves the view as `name`: no text cut short, `shown` shown and `hidden` not.
    static void shot(ShownView& view, const QString& name, const QStringList& shown,
                     const QStringList& hidden = {}) {
        SCOPED_TRACE(name.toStdString());
        view.screenshot(name);
        QStringList cut; // by eliding or at their line limit
        forEachShown(*view.window().contentItem(), [&](const QQuickItem& item) {
            if (item.inherits("QQuickText") && item.property("truncated").toBool()) {
                cut << item.property("text").toString();
            }
        });
        EXPECT_EQ(cut.join('\n').toStdString(), "");
        for (const QString& control : shown + hidden) {
            EXPECT_EQ(view.shows(control), shown.contains(control)) << control.toStdString();
        }
    }
    /// `name` shows as an alert, which a screen reader hears as it shows, saying `heard`.
    static void expectAlert(const ShownView& view, const QString& name, const QString& heard) {
        const QAccessibleInterface* node = QAccessible::queryAccessibleInterface(&view.get(name));
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->role(), QAccessible::AlertMessage) << name.toStdString();
        EXPECT_EQ(node->text(QAccessible::Name).toStdString(), heard.toStdString());
    }
    /// The text, blended as drawn, keeps 4.5:1 against what is drawn just left of it.
    static void expectReadableOnItsGround(const ShownView& view, const QString& text) {
        const QQuickItem& item = view.get(text);
        const QColor ground = view.window().grabWindow().pixelColor(
            item.mapToScene({-4, item.height() / 2}).toPoint());
        const QColor ink = item.property("color").value<QColor>();
        const auto mix = [&](float a, float b) {
            return ink.alphaF() * a + (1 - ink.alphaF()) * b;
        };
        const QColor drawn =
            QColor::fromRgbF(mix(ink.redF(), ground.redF()), mix(ink.greenF(), ground.greenF()),
                             mix(ink.blueF(), ground.blueF()));
        EXPECT_GE(contrastRatio(drawn, ground), 4.5)
            << text.toStdString() << " on " << ground.name().toStdString();
    }
    /// Where texts are longest, each with a focus ring: the chat with an answer and its error,
    /// login and panel (reply, toast) with the developer menu, and the update notice. Gives the
    /// chat's error and the toast as a screen reader hears it, both set in English by state.
    QStringList shootLongestTexts(int width, const QString& suffix) {
        forget(); // and the last appearance's chat
        network().answer(kSend, {reply("We could meet on Friday at ten, in the small meeting room "
                                       "on the second floor. I will bring the slides."),
                                 ScriptedAnswer::http(500, "{}")});
        view_ = chat(width);
        for (const char* question : {"When can we meet?", "Can you send the agenda before then?"}) {
            ask(*view_, question);
            answered(*view_);
        }
        shot(*view_, "chat" + suffix, {"chatError", "chatSendButton"}, {"chatProgress"});
        QStringList fixedTexts{view_->text("chatError")};
        showLogin(width).key(Qt::Key_D, kDeveloperKeys);
        tabTo(*view_, "loginButton");
        shot(*view_, "login-developer-menu" + suffix, {"developerMenu", "endpointDev"});
        forget();
        showPanel(width).click("generateResponseButton");
        answered(*view_);
        view_->key(Qt::Key_D, kDeveloperKeys);
        tabTo(*view_, "replyText");
        shot(*view_, "panel-reply" + suffix, {"toast", "developerMenu", "submitTrainingButton"},
             {"replySpinner", "summaryProgress"});
        EXPECT_EQ(view_->text("summaryText"), kSummary);
        EXPECT_EQ(view_->text("replyText"), kResponse);
        EXPECT_EQ(view_->get("toast").property("message").toString(),
                  "Response generated successfully.");
        fixedTexts
            << QAccessible::queryAccessibleInterface(&view_->get("toast"))->text(QAccessible::Name);
        offerUpdate(true);
        tabTo(*view_, "updateNowButton");
        shot(*view_, "update" + suffix, {"updateNowButton", "remindLaterButton"});
        expectReadableOnItsGround(*view_, "updateNoticeText");
        offerUpdate(false);
        return fixedTexts;
    }

    std::unique_ptr<LoginViewState> login_;
    std::shared_ptr<ComposeSessionViewController> controller_;
    std::unique_ptr<ShownView> view_; // last, so that it goes before what it shows
};
