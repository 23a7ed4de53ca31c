#include "stores/incommingupdatesmanager.h"
#include "views/colorscheme.h"
#include "viewstest.h"

#include <QAccessible>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QPalette>
#include <QSignalSpy>
#include <array>
#include <cmath>

namespace {

/// Each view driven from the keyboard alone and read as a screen reader reads it.
class AccessTest : public ViewsTest {
protected:
    AccessTest() { QAccessible::setActive(true); }
    ~AccessTest() override { QAccessible::setActive(false); }

    /// The objectName of the control that holds the keyboard's focus.
    static QString focused(const ShownView& view) {
        for (const QQuickItem* item = view.window().activeFocusItem(); item != nullptr;
             item = item->parentItem()) {
            if (!item->objectName().isEmpty()) {
                return item->objectName();
            }
        }
        return {};
    }

    /// From the first of `order`, Tab reaches each control in turn and comes round to the
    /// first again; Shift+Tab goes the same way back.
    static void expectTabOrder(ShownView& view, const QStringList& order) {
        tabTo(view, order.first());
        QStringList forward;
        QStringList back;
        for (qsizetype step = 0; step < order.size(); ++step) {
            view.key(Qt::Key_Tab);
            forward << focused(view);
        }
        for (qsizetype step = 0; step < order.size(); ++step) {
            view.key(Qt::Key_Backtab);
            back.prepend(focused(view));
        }
        EXPECT_EQ(forward.join(' ').toStdString(),
                  (order.mid(1) + order.first(1)).join(' ').toStdString());
        EXPECT_EQ(back.join(' ').toStdString(), order.join(' ').toStdString());
    }

    /// Space and Return on each button press it once, as a click does; each shows the focus
    /// ring while it has the keyboard's focus.
    static void expectKeysPress(ShownView& view, const QStringList& buttons) {
        for (const QString& name : buttons) {
            SCOPED_TRACE(name.toStdString());
            QQuickItem& button = view.get(name);
            QSignalSpy clicks(&button, SIGNAL(clicked()));
            tabTo(view, name);
            view.key(Qt::Key_Space);
            view.key(Qt::Key_Return);
            EXPECT_EQ(clicks.size(), 2);
            EXPECT_TRUE(button.property("visualFocus").toBool());
        }
    }

    /// Every control that Tab reaches has a role and a name, and every text on screen is read,
    /// by itself or as the name of what holds it; the screen reader finds all of them from
    /// the window.
    static void expectReadable(const ShownView& view) {
        QSet<const QObject*> reached;
        const std::function<void(QAccessibleInterface&)> walk = [&](QAccessibleInterface& node) {
            for (int index = 0; index < node.childCount(); ++index) {
                if (QAccessibleInterface* child = node.child(index)) {
                    reached.insert(child->object());
                    walk(*child);
                }
            }
        };
        walk(*QAccessible::queryAccessibleInterface(&view.window()));
        const auto named = [&](const QQuickItem* item) {
            const QAccessibleInterface* node = QAccessible::queryAccessibleInterface(
                const_cast<QQuickItem*>(item)); // NOLINT(cppcoreguidelines-pro-type-const-cast)
            return reached.contains(item) && node->role() != QAccessible::NoRole &&
                   !node->text(QAccessible::Name).isEmpty();
        };
        const std::function<void(const QQuickItem&)> check = [&](const QQuickItem& item) {
            if (!item.isVisible()) {
                return;
            }
            const bool text = item.inherits("QQuickText") || item.inherits("QQuickTextEdit");
            if (item.activeFocusOnTab() && item.isEnabled()) {
                EXPECT_TRUE(named(&item)) << "control " << item.objectName().toStdString();
            } else if (text && !item.property("text").toString().isEmpty()) {
                bool read = false;
                for (const QQuickItem* holder = &item; holder && !read;
                     holder = holder->parentItem()) {
                    read = named(holder);
                }
                EXPECT_TRUE(read) << "text " << item.property("text").toString().toStdString();
            }
            for (const QQuickItem* child : item.childItems()) {
                check(*child);
            }
        };
        check(*view.window().contentItem());
    }

    void showReplyLayout() {
        network().answer("/api/v1/response", reply("Tuesday works."));
        showPanel();
        view_->click("generateResponseButton");
        answered(*view_);
    }
};

TEST_F(AccessTest, EveryViewWorksFromTheKeyboardAndReads) {
    network().answer("/api/v1/summarize", reply("Lunch on Tuesday?"));
    network().answer(kStart, kStarted);
    network().answer(kSend, reply("At noon."));
    answer("/api/v1/create-training-data", 200, R"({"success":"stored"})");

    ShownView& login = showLogin();
    login.key(Qt::Key_D, kDeveloperKeys);
    expectTabOrder(login, {"endpointDev", "endpointStaging", "endpointLive", "loginButton"});
    expectReadable(login);
    expectKeysPress(login, {"endpointLive", "loginButton"});
    tabTo(login, "endpointDev");
    login.key(Qt::Key_Escape);
    EXPECT_FALSE(login.shows("developerMenu"));

    forget();
    showReplyLayout();
    view_->key(Qt::Key_D, kDeveloperKeys);
    expectTabOrder(*view_, {"logoutButton", "endpointDev", "endpointStaging", "endpointLive",
                            "quickResponseTab", "customResponseTab", "regenerateResponseButton",
                            "submitTrainingButton", "copyButton"});
    expectReadable(*view_);
    expectKeysPress(*view_, {"regenerateResponseButton", "submitTrainingButton", "copyButton"});
    answered(*view_);
    EXPECT_EQ(network().requestsTo("/api/v1/response").size(), 3);
    EXPECT_EQ(network().requestsTo("/api/v1/create-training-data").size(), 2);
    EXPECT_EQ(platform_.pasteboard().contents, "Tuesday works.");
    view_->key(Qt::Key_Escape);
    EXPECT_FALSE(view_->shows("developerMenu"));

    // The chat tab, chosen with Return; its question sent with Space on the send button.
    tabTo(*view_, "customResponseTab");
    view_->key(Qt::Key_Return);
    expectTabOrder(*view_, {"logoutButton", "quickResponseTab", "customResponseTab", "chatInput",
                            "chatSendButton"});
    view_->type("chatInput", "When?");
    view_->key(Qt::Key_Tab);
    view_->key(Qt::Key_Space);
    answered(*view_);
    expectReadable(*view_);
    EXPECT_EQ(bodiesSentTo(kSend).size(), 1);

    forget();
    answer("/api/v1/summarize", 500, "{}");
    showPanel();
    for (int send = 0; send < 5; ++send) { // and its retries
        answered(*view_);
        queue().advance(2.0);
    }
    expectTabOrder(*view_, {"logoutButton", "pasteBox", "summarizeButton", "quickResponseTab",
                            "customResponseTab", "generateResponseButton"});
    expectReadable(*view_);
    expectKeysPress(*view_, {"summarizeButton", "generateResponseButton"});

    // The update notice locks the panel beneath it out of the walk.
    stores_.updates.updateUrl = QStringLiteral("https://example.com/get");
    stores_.updates.setIncommingUpdatesAvailable(true);
    view_->settle();
    expectTabOrder(*view_, {"logoutButton", "remindLaterButton", "updateNowButton"});
    expectReadable(*view_);
    expectKeysPress(*view_, {"updateNowButton"});
    EXPECT_EQ(platform_.workspace().opened.size(), 2);
    tabTo(*view_, "remindLaterButton");
    view_->key(Qt::Key_Return);
    EXPECT_FALSE(stores_.updates.incommingUpdatesAvailable());

    // Signed out with Return, the login view covers the panel, and Tab stays on it.
    tabTo(*view_, "logoutButton");
    view_->key(Qt::Key_Return);
    settle();
    EXPECT_FALSE(stores_.auth.hasAccessToken());
    expectTabOrder(*view_, {"loginButton"});
}

/// What the accessibility bridge is told of alerts: each one shown, with its name, and hidden.
QStringList& heardAlerts() {
    static QStringList heard;
    return heard;
}

void hearAlerts(QAccessibleEvent* event) {
    QAccessibleInterface* node = event->accessibleInterface();
    if (node == nullptr || node->role() != QAccessible::AlertMessage) {
        return;
    }
    const QString name = event->object()->objectName();
    if (event->type() == QAccessible::ObjectShow) {
        heardAlerts() << name + " shown: " + node->text(QAccessible::Name);
    } else if (event->type() == QAccessible::ObjectHide) {
        heardAlerts() << name + " hidden";
    }
}

// Qt 6.4 has no announcement: an alert is heard as it turns visible. Qt Quick passes that on
// only while a platform bridge is active, so ctest runs this case on a display with an
// accessibility bus.
TEST_F(AccessTest, ToastReachesTheAccessibilityBridge) {
    const QDeadlineTimer connected(10'000);
    while (!QAccessible::isActive() && !connected.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    ASSERT_TRUE(QAccessible::isActive())
        << "no accessibility bridge on " << QGuiApplication::platformName().toStdString();
    heardAlerts().clear();
    QAccessible::installUpdateHandler(hearAlerts);
    network().answer("/api/v1/response", reply("Tuesday works."));
    showPanel();
    view_->click("generateResponseButton");
    answered(*view_);
    queue().advance(5.0);
    view_->screenshot("toast-gone");
    QAccessible::installUpdateHandler(nullptr);
    EXPECT_EQ(heardAlerts().join(" / ").toStdString(),
              "toast shown: Response generated successfully. / toast hidden");
}

TEST_F(AccessTest, ChatErrorIsAnAlertThatGoes) {
    network().answer(kStart, {ScriptedAnswer::http(500, "{}"), kStarted});
    network().answer(kSend, reply("At noon."));
    view_ = chat();
    ask(*view_, "When?");
    answered(*view_);
    QQuickItem& error = view_->get("chatError");
    const QAccessibleInterface* node = QAccessible::queryAccessibleInterface(&error);
    EXPECT_EQ(node->role(), QAccessible::AlertMessage);
    EXPECT_EQ(node->text(QAccessible::Name), ChatViewState::errorText);
    ask(*view_, "When?");
    answered(*view_);
    EXPECT_FALSE(view_->shows("chatError"));
}

// The ring keeps 3:1 against whatever the panel shows round a control, in light and in dark.
TEST(FocusRingTest, StandsOutInEveryAppearance) {
    const auto luminance = [](const QColor& color) {
        const auto channel = [](float value) {
            return value <= 0.04045F ? value / 12.92F : std::pow((value + 0.055F) / 1.055F, 2.4F);
        };
        return 0.2126F * channel(color.redF()) + 0.7152F * channel(color.greenF()) +
               0.0722F * channel(color.blueF());
    };
    const auto contrast = [&](const QColor& one, const QColor& other) {
        const float first = luminance(one);
        const float second = luminance(other);
        return (std::max(first, second) + 0.05F) / (std::min(first, second) + 0.05F);
    };
    forEachAppearance([&](int /*width*/, const QString& suffix) {
        const ColorScheme& scheme = ColorScheme::shared();
        const std::array<QColor, 2> grounds{scheme.controlBackground(),
                                            QGuiApplication::palette().color(QPalette::Window)};
        for (const QColor& ground : grounds) {
            EXPECT_GE(contrast(scheme.focusRing(), ground), 3.0F)
                << suffix.toStdString() << " on " << ground.name().toStdString();
        }
    });
}

} // namespace
