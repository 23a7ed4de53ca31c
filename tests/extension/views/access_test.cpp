#include "contrast.h"
#include "views/colorscheme.h"
#include "viewstest.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QPalette>
#include <QSignalSpy>

namespace {

/// Each view driven from the keyboard alone and read as a screen reader reads it.
class AccessTest : public ViewsTest {
protected:
    AccessTest() { QAccessible::setActive(true); }
    ~AccessTest() override { QAccessible::setActive(false); }

    /// The objectName of the control that holds the keyboard's focus.
    static QString focused(const ShownView& view) {
        const QQuickItem* item = view.window().activeFocusItem();
        while (item != nullptr && item->objectName().isEmpty()) {
            item = item->parentItem();
        }
        return item != nullptr ? item->objectName() : QString();
    }

    /// From the first of `order`, Tab reaches each control in turn and comes round to the
    /// first again, and Shift+Tab goes the same way back. The view reads as `expectReadable`
    /// says. Space and Return, even held down, on each of `pressed` press it once each, as a
    /// click does, and it shows the focus ring meanwhile.
    static void expectWalk(ShownView& view, const QStringList& order,
                           const QStringList& pressed = {}) {
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
        expectReadable(view);
        for (const QString& name : pressed) {
            SCOPED_TRACE(name.toStdString());
            QSignalSpy clicks(&view.get(name), SIGNAL(clicked()));
            tabTo(view, name);
            view.key(Qt::Key_Space);
            view.holdKey(Qt::Key_Return, 3); // held down, it is still one press
            EXPECT_EQ(clicks.size(), 2);
            EXPECT_TRUE(view.get(name).property("visualFocus").toBool());
            const auto* ring = view.get(name).findChild<QQuickItem*>("focusRing");
            EXPECT_TRUE(ring != nullptr && ring->isVisible()) << "no ring drawn";
            view.screenshot("focus-" + name);
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
        forEachShown(*view.window().contentItem(), [&](const QQuickItem& item) {
            const QString text = item.inherits("QQuickText") || item.inherits("QQuickTextEdit")
                                     ? item.property("text").toString()
                                     : QString();
            if (item.activeFocusOnTab() && item.isEnabled()) {
                EXPECT_TRUE(named(&item)) << "control " << item.objectName().toStdString();
            } else if (!text.isEmpty()) {
                const QQuickItem* holder = &item;
                while (holder != nullptr && !named(holder)) {
                    holder = holder->parentItem();
                }
                EXPECT_NE(holder, nullptr) << "text " << text.toStdString();
            }
        });
    }
};

TEST_F(AccessTest, EveryViewWorksFromTheKeyboardAndReads) {
    network().answer(kSend, reply("At noon."));

    showLogin().key(Qt::Key_D, kDeveloperKeys);
    expectWalk(*view_, {"endpointDev", "endpointStaging", "endpointLive", "loginButton"},
               {"endpointLive", "loginButton"});
    tabTo(*view_, "endpointDev");
    view_->key(Qt::Key_Escape);
    EXPECT_FALSE(view_->shows("developerMenu"));

    forget();
    showPanel().click("generateResponseButton");
    answered(*view_);
    view_->key(Qt::Key_D, kDeveloperKeys);
    expectWalk(
        *view_,
        {"logoutButton", "endpointDev", "endpointStaging", "endpointLive", "summaryText",
         "quickResponseTab", "customResponseTab", "regenerateResponseButton", "replyText",
         "submitTrainingButton", "copyButton"},
        {"quickResponseTab", "regenerateResponseButton", "submitTrainingButton", "copyButton"});
    answered(*view_);
    // Regenerate's second press came while its first reply was awaited.
    EXPECT_EQ(network().requestsTo("/api/v1/response").size(), 2);
    EXPECT_EQ(network().requestsTo("/api/v1/create-training-data").size(), 2);
    EXPECT_EQ(platform_.pasteboard().contents, kResponse);
    expectAlert(*view_, "copyTooltip", "Text copied to clipboard!");
    view_->key(Qt::Key_Escape);
    EXPECT_FALSE(view_->shows("developerMenu"));

    // The chat tab, chosen with Return; its question sent with Space on the send button.
    tabTo(*view_, "customResponseTab");
    view_->key(Qt::Key_Return);
    view_->type("chatInput", "When?");
    view_->key(Qt::Key_Tab);
    view_->key(Qt::Key_Space);
    answered(*view_);
    EXPECT_EQ(bodiesSentTo(kSend).size(), 1);
    expectAlert(*view_, "chatAnswer", "At noon.");
    expectWalk(*view_, {"logoutButton", "summaryText", "quickResponseTab", "customResponseTab",
                        "chatList", "chatInput", "chatSendButton"});

    showUnavailablePanel();
    expectWalk(*view_,
               {"logoutButton", "pasteBox", "summarizeButton", "quickResponseTab",
                "customResponseTab", "generateResponseButton"},
               {"summarizeButton", "generateResponseButton"});

    // The update notice locks the panel beneath it out of the walk.
    offerUpdate(true);
    expectAlert(*view_, "updateNotice",
                "New version available! A new version of the Quorvane app was released. Download "
                "the new version to use the latest updates.");
    expectWalk(*view_, {"logoutButton", "remindLaterButton", "updateNowButton"},
               {"updateNowButton"});
    EXPECT_EQ(platform_.workspace().opened.size(), 2);
    tabTo(*view_, "remindLaterButton");
    view_->key(Qt::Key_Return);
    EXPECT_FALSE(stores_.updates.incommingUpdatesAvailable());

    // Signed out with Return, the login view covers the panel, and Tab stays on it.
    tabTo(*view_, "logoutButton");
    view_->key(Qt::Key_Return);
    settle();
    EXPECT_FALSE(stores_.auth.hasAccessToken());
    expectWalk(*view_, {"loginButton"});
}

// Wherever the control under the keyboard goes, the focus goes on to one that shows, with its
// ring unless a pointer was used last, and stays with the panel; the panel takes none from the
// rest of the window.
TEST_F(AccessTest, TheFocusMovesOnWhenItsControlGoes) {
    const auto press = [&](const QString& control, int key) {
        tabTo(*view_, control);
        view_->key(key);
        answered(*view_);
    };
    const auto panel = [&] {
        forget();
        answered(showPanel());
    };
    const auto paste = [&] {
        showUnavailablePanel();
        network().answer("/api/v1/summarize", reply(kSummary));
        view_->type("pasteBox", "Lunch?");
    };
    QQuickItem composeArea;
    const struct {
        const char* step;
        std::function<void()> act;
        QString lands;
        bool ring = true;
    } steps[] = {
        {"login's menu closed",
         [&] {
             showLogin().key(Qt::Key_D, kDeveloperKeys);
             press("endpointStaging", Qt::Key_Escape);
         },
         "loginButton"},
        {"hidden segment given the focus",
         [&] {
             // Even so, a hidden control takes no keys.
             view_->root().findChild<QQuickItem*>("endpointStaging")->forceActiveFocus();
             view_->key(Qt::Key_Space);
             EXPECT_EQ(defaults().string("selectedApiEndpoint"), QString("dev"));
         },
         "endpointStaging", false},
        {"panel's menu closed",
         [&] {
             panel();
             view_->key(Qt::Key_D, kDeveloperKeys);
             press("endpointStaging", Qt::Key_Escape);
         },
         "logoutButton"},
        {"reply drafted", [&] { press("generateResponseButton", Qt::Key_Space); },
         "regenerateResponseButton"},
        {"update offered",
         [&] {
             tabTo(*view_, "copyButton");
             offerUpdate(true);
         },
         "remindLaterButton"},
        {"update put off", [&] { press("remindLaterButton", Qt::Key_Return); }, "logoutButton"},
        {"pasted text summarized",
         [&] {
             paste();
             press("summarizeButton", Qt::Key_Space);
         },
         "summaryText"},
        {"pasted text summarized by a click",
         [&] {
             paste();
             view_->click("summarizeButton");
             answered(*view_);
         },
         "summaryText", false},
        {"signed out", [&] { press("logoutButton", Qt::Key_Return); }, "loginButton"},
        {"signed in",
         [&] {
             controller_->setIsLoggedIn(true);
             controller_->refreshAfterLogin();
         },
         "logoutButton"},
        {"signed in again after a click",
         [&] {
             press("logoutButton", Qt::Key_Return);
             QTest::mouseClick(&view_->window(), Qt::LeftButton, {}, {1, 1});
             controller_->refreshAfterLogin();
         },
         "logoutButton", false},
        {"signed out from the compose area",
         [&] {
             composeArea.setParentItem(view_->window().contentItem());
             composeArea.forceActiveFocus();
             stores_.auth.logoutPressed();
             settle();
         },
         "", false},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.step);
        step.act();
        EXPECT_EQ(focused(*view_).toStdString(), step.lands.toStdString());
        const auto* ring = view_->window().activeFocusItem()->findChild<QQuickItem*>("focusRing");
        EXPECT_EQ(ring != nullptr && ring->isVisible(), step.ring);
    }
    EXPECT_TRUE(composeArea.hasActiveFocus());
    composeArea.setParentItem(nullptr);
}

// Tab reaches a long summary, reply and chat history, and the keys scroll them.
TEST_F(AccessTest, LongTextsScrollFromTheKeyboard) {
    const QString text = QString("One line of a long text.\n").repeated(80);
    for (const QString& path : {QString("/api/v1/summarize"), QString("/api/v1/response"), kSend}) {
        network().answer(path, reply(text));
    }
    forget();
    showPanel().click("generateResponseButton");
    answered(*view_);
    const auto contentY = [&](const QString& name) {
        const QQuickItem& item = view_->get(name);
        const auto* scroller = item.property("scroller").value<QObject*>();
        return (scroller != nullptr ? scroller : &item)->property("contentY").toReal();
    };
    const struct {
        QString name;
        std::function<void()> before;
    } rows[] = {
        {"summaryText", [] {}},
        {"replyText", [] {}},
        {"chatList",
         [&] {
             view_->click("customResponseTab");
             ask(*view_, "When?");
             answered(*view_);
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name.toStdString());
        row.before();
        tabTo(*view_, row.name);
        view_->key(Qt::Key_Home);
        const qreal top = contentY(row.name);
        view_->key(Qt::Key_PageDown);
        const qreal paged = contentY(row.name);
        view_->key(Qt::Key_End);
        const qreal end = contentY(row.name);
        view_->screenshot("scrolled-" + row.name);
        view_->key(Qt::Key_Up);
        EXPECT_LT(top, paged);
        EXPECT_LT(paged, end);
        EXPECT_LT(contentY(row.name), end);
    }
}

// Qt 6.4 has no announcement: an alert is heard as it turns visible. Qt Quick passes that on
// only while a platform bridge is active, so ctest runs this case on a display with an
// accessibility bus.
TEST_F(AccessTest, ToastReachesTheAccessibilityBridge) {
    ASSERT_TRUE(QTest::qWaitFor([] { return QAccessible::isActive(); }, 10'000))
        << "no accessibility bridge on " << QGuiApplication::platformName().toStdString();
    // What the bridge is told of alerts: each one shown, with its name, and hidden.
    static QStringList heard;
    heard.clear();
    QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
        const QAccessibleInterface* node = event->accessibleInterface();
        const bool shown = event->type() == QAccessible::ObjectShow;
        if (node != nullptr && node->role() == QAccessible::AlertMessage &&
            (shown || event->type() == QAccessible::ObjectHide)) {
            heard << event->object()->objectName() +
                         (shown ? " shown: " + node->text(QAccessible::Name) : " hidden");
        }
    });
    showPanel().click("generateResponseButton");
    answered(*view_);
    queue().advance(5.0);
    // Hidden once its fade ends, which a loaded machine may draw late.
    (void)QTest::qWaitFor([] { return heard.size() > 1; }, 5'000);
    view_->screenshot("toast-gone");
    // Those made as they show are heard too.
    view_->click("copyButton");
    offerUpdate(true);
    QAccessible::installUpdateHandler(nullptr);
    EXPECT_EQ(heard.join(" / ").toStdString(),
              "toast shown: Response generated successfully. / toast hidden / copyTooltip shown: "
              "Text copied to clipboard! / updateNotice shown: New version available! A new "
              "version of the Quorvane app was released. Download the new version to use the "
              "latest updates.");
}

// In light and in dark, the ring and the outlined buttons keep 3:1 against whatever the panel
// shows round a control, and the white labels of the filled buttons 4.5:1 on their fill.
TEST(ContrastTest, RingsOutlinesAndLabelsStandOutInEveryAppearance) {
    forEachAppearance([&](int /*width*/, const QString& suffix) {
        const ColorScheme& scheme = ColorScheme::shared();
        const QColor window = QGuiApplication::palette().color(QPalette::Window);
        for (const QColor& ground : {scheme.controlBackground(), window}) {
            EXPECT_GE(contrastRatio(scheme.focusRing(), ground), 3.0)
                << suffix.toStdString() << " on " << ground.name().toStdString();
        }
        for (const QColor& named : {scheme.indigo(), scheme.purple(), scheme.blue()}) {
            EXPECT_GE(contrastRatio(named, window), 3.0)
                << suffix.toStdString() << " outline " << named.name().toStdString();
        }
        for (const QColor& fill : {scheme.indigo(), scheme.blue()}) {
            EXPECT_GE(contrastRatio(Qt::white, fill), 4.5)
                << suffix.toStdString() << " label on " << fill.name().toStdString();
        }
    });
}

} // namespace
