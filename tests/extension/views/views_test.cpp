#include "signin/endpointselection.h"
#include "views/tintedicon.h"
#include "views/viewengine.h"
#include "viewstest.h"

namespace {

QRectF sceneRect(const ShownView& view, const QString& objectName) {
    QRectF rect;
    forEachShown(*view.window().contentItem(), [&](const QQuickItem& item) {
        if (item.objectName() == objectName) {
            rect = item.mapRectToScene(item.boundingRect());
        }
    });
    return rect;
}

/// The reply takes the height that the texts and buttons round it leave, down to none; the
/// buttons below it share its width.
void expectReplyFillsItsTab(ShownView& view) {
    view.settle();
    SCOPED_TRACE(
        QString("%1x%2").arg(view.window().width()).arg(view.window().height()).toStdString());
    const QRectF reply = sceneRect(view, "replyText");
    const QRectF submit = sceneRect(view, "submitTrainingButton");
    const QRectF copy = sceneRect(view, "copyButton");
    EXPECT_DOUBLE_EQ(submit.left(), reply.left());
    EXPECT_DOUBLE_EQ(copy.right(), reply.right());
    EXPECT_DOUBLE_EQ(submit.width(), copy.width());
    EXPECT_GE(reply.height(), 0);
    EXPECT_DOUBLE_EQ(submit.top(), reply.bottom() + 10);
    const QRectF tab = sceneRect(view, "sessionPanelFrame");
    EXPECT_TRUE(reply.height() == 0 || submit.bottom() + 5 == tab.bottom())
        << "the reply leaves room unused";
}

// Every state in English; the other languages show where their texts are longest.
TEST_F(ViewsTest, EveryStateInEveryAppearance) {
    forEachAppearance([&](int width, const QString& suffix) {
        EXPECT_EQ(shootLongestTexts(width, suffix),
                  (QStringList{ChatViewState::errorText, "Response generated successfully."}));

        shot(showLogin(width), "login" + suffix, {"loginButton"}, {"developerMenu"});
        view_->key(Qt::Key_D, kDeveloperKeys);
        int logouts = 0;
        auto logout = Platform::current().notificationCenter().addObserver("UserDidLogout",
                                                                           [&] { ++logouts; });
        view_->click("endpointStaging");
        view_->click("endpointStaging"); // already selected
        EXPECT_EQ(logouts, 1);
        EXPECT_EQ(defaults().string("selectedApiEndpoint"), QString("staging"));

        forget();
        shot(showPanel(width), "panel-summary-loading" + suffix,
             {"summaryProgress", "generateResponseButton"}, {"summaryCard"});
        view_->click("generateResponseButton");
        shot(*view_, "panel-reply-loading" + suffix, {"replySpinner", "generateResponseButton"});
        answered(*view_);
        view_->click("copyButton");
        EXPECT_FALSE(view_->get("copyButton").property("visualFocus").toBool()) << "a click's ring";
        shot(*view_, "panel-copied" + suffix, {"copyTooltip", "regenerateResponseButton"},
             {"replySpinner", "summaryProgress"});
        EXPECT_EQ(platform_.pasteboard().contents, kResponse);
        view_->click("submitTrainingButton");
        answered(*view_);
        EXPECT_EQ(view_->get("toast").property("message").toString(), "Success: stored");
        shot(*view_, "panel-trained" + suffix, {"toast", "regenerateResponseButton"});
        view_->click("customResponseTab");
        shot(*view_, "panel-chat-toast" + suffix, {"toastStrip", "chatInput"}, {"copyTooltip"});
        const QRectF strip = sceneRect(*view_, "toastStrip");
        EXPECT_LT(strip.height(), 60) << "the strip keeps its own height";
        EXPECT_GT(strip.top(), sceneRect(*view_, "chatPrompt").bottom()) << "covers the prompt";
        EXPECT_LT(strip.bottom(), sceneRect(*view_, "chatInput").top()) << "covers the field";
        EXPECT_TRUE(
            bodiesSentTo("/api/v1/create-training-data").back().contains(R"("answer":"Hi Ann,)"));
        const qsizetype summaries = bodiesSentTo("/api/v1/summarize").size();
        shot(showPanel(width), "panel-reopened" + suffix,
             {"summaryCard", "regenerateResponseButton"}, {"summaryProgress"});
        answered(*view_);
        for (const QSize size : {QSize(width, 650), QSize(900, 900), QSize(width, 300)}) {
            view_->window().resize(size);
            view_->root().setSize(size);
            expectReplyFillsItsTab(*view_);
        }
        EXPECT_EQ(view_->text("summaryText"), kSummary) << "the stored one";
        EXPECT_EQ(bodiesSentTo("/api/v1/summarize").size(), summaries) << "asked for again";

        forget();
        network().answer("/api/v1/response", ScriptedAnswer::http(500, "{}"));
        showPanel(width).click("generateResponseButton");
        answered(*view_);
        shot(*view_, "panel-reply-error" + suffix, {"toast"});
        network().answer("/api/v1/response", reply(kResponse));
        showUnavailablePanel(width);
        shot(*view_, "panel-content-unavailable" + suffix, {"pasteBox", "summarizeButton"},
             {"summaryCard", "summaryProgress"});
        EXPECT_EQ(view_->text("pasteBox"), "Can we meet on Tuesday?") << "the text last summarized";
        // A text longer than the box shows a scroll bar; a short one none.
        const auto barShown = [&] {
            view_->settle();
            const auto items = view_->get("pasteScroll").findChildren<QQuickItem*>();
            return std::ranges::any_of(items, [](const QQuickItem* item) {
                const auto* handle = item->inherits("QQuickScrollBar")
                                         ? item->property("contentItem").value<QQuickItem*>()
                                         : nullptr;
                return item->isVisible() && handle != nullptr && handle->opacity() > 0;
            });
        };
        EXPECT_FALSE(barShown());
        view_->get("pasteBox").setProperty("text", QString("A line.\n").repeated(30));
        EXPECT_TRUE(barShown());
        view_->get("pasteBox").setProperty("text", QString());
        view_->type("pasteBox", "Pasted");
        EXPECT_EQ(defaults().string(R"(Optional("abc") fallbackContent)"), QString("Pasted"));
        network().answer("/api/v1/summarize", reply(kSummary));
        view_->click("summarizeButton");
        answered(*view_);
        EXPECT_EQ(view_->text("summaryText"), kSummary);
        forget();
        reopenWindow([](ReplyContext& context) { context.subject.reset(); });
        shot(showPanel(width), "panel-empty" + suffix, {"quickResponseTab"},
             {"summaryCard", "summaryProgress"});
        view_->key(Qt::Key_D, kDeveloperKeys);
        shot(*view_, "panel-developer-menu" + suffix, {"developerMenu", "endpointDev"});
        view_->click("logoutButton");
        EXPECT_TRUE(log().contains("Logout button clicked"));
        EXPECT_TRUE(log().contains("URLSession cache cleared"));
        EXPECT_FALSE(stores_.auth.hasAccessToken());
        EXPECT_TRUE(defaults().keys().isEmpty()) << "everything stored goes with the account";
    });
}

// A sign-out or an endpoint change lays the login view over the panel. The panel's controls
// under it take no clicks, and the keyboard's focus, on its chat field before, goes on to the
// login view.
TEST_F(ViewsTest, LoginViewOverThePanelTakesItsInput) {
    for (const bool endpointChange : {false, true}) {
        SCOPED_TRACE(endpointChange ? "endpoint change" : "log out");
        forget();
        ShownView& panel = showPanel();
        std::vector<QPoint> spots;
        for (const char* control : {"generateResponseButton", "quickResponseTab", "logoutButton"}) {
            const QQuickItem& item = panel.get(control);
            spots.push_back(item.mapToScene({item.width() / 2, item.height() / 2}).toPoint());
        }
        panel.click("customResponseTab");
        panel.type("chatInput", "When?");
        if (endpointChange) {
            changeEndpoint(services(), QStringLiteral("staging"));
        } else {
            stores_.auth.logout();
        }
        settle();
        ASSERT_TRUE(panel.shows("loginButton"));
        log().clear();
        const std::size_t sent = network().requests().size();
        EXPECT_EQ(panel.window().activeFocusItem(), &panel.get("loginButton"));
        for (const QPoint spot : spots) {
            QTest::mouseClick(&panel.window(), Qt::LeftButton, Qt::NoModifier, spot);
        }
        answered(panel);
        EXPECT_EQ(network().requests().size(), sent);
        EXPECT_TRUE(log().lines().isEmpty()) << log().lines().join('\n').toStdString();
    }
}

// A failed start shows the error, an alert, in every view of the message until an answer
// arrives. Two views of one message go on with one conversation, the view closed last keeps it
// whole, and an answer for a closed view is dropped. Without a body, the chat is about the
// compose session.
TEST_F(ViewsTest, ChatRecoversFromAFailedStartAndTwoViewsKeepOneConversation) {
    reopenWindow([](ReplyContext& context) { context.content.reset(); });
    network().answer(kStart, {ScriptedAnswer::http(503, "{}"), kStarted});
    network().answer(kSend, {reply("On Friday."), reply("In the lab.")});
    auto view = chat();
    view->key(Qt::Key_Return); // nothing typed: nothing asked
    EXPECT_TRUE(state(*view).entries().empty());
    ask(*view, "When?");
    answered(*view);
    auto other = chat();
    EXPECT_EQ(other->text("chatError"), ChatViewState::errorText);
    expectAlert(*other, "chatError", ChatViewState::errorText);
    ask(*view, "When?");
    EXPECT_TRUE(view->shows("chatProgress"));
    answered(*view);
    EXPECT_FALSE(other->shows("chatError"));
    ask(*other, "   ");
    answered(*other);

    const auto shownTexts = [](const ShownView& shown) {
        QStringList texts;
        for (const Message& entry : state(shown).entries()) {
            texts << (entry.text ? "Q: " + *entry.text : "A: " + entry.response.value_or(""));
        }
        return texts;
    };
    const QStringList conversation{"Q: When?", "Q: When?", "A: On Friday.",
                                   "Q:    ", "A: In the lab."};
    EXPECT_EQ(shownTexts(*other), conversation);
    EXPECT_EQ(other->text("chatInput"), "");
    EXPECT_EQ(bodiesSentTo(kStart).size(), 3) << "each view starts its own chat";
    EXPECT_TRUE(bodiesSentTo(kStart).at(0).contains(R"("email_content":"Compose session")"));
    const QList<QByteArray> sent = bodiesSentTo(kSend);
    ASSERT_EQ(sent.size(), 2);
    EXPECT_TRUE(sent[1].contains(R"("assistantId":"asst_1","threadId":"th_1")"));

    ask(*other, "Bye?");
    other.reset();
    view.reset(); // its copy of the conversation is older
    settle();
    auto reopened = chat();
    EXPECT_EQ(shownTexts(*reopened), conversation + QStringList{"Q: Bye?"});
    EXPECT_EQ(state(*reopened).assistantId(), std::nullopt);
}

// A text taller than its view gets a scroll bar once laid out, whether made whole or in pieces;
// a short one gets none.
TEST_F(ViewsTest, OnlyATextTallerThanItsViewScrolls) {
    const auto showsScrollBar = [](const QQuickItem* item) {
        return item->inherits("QQuickScrollBar") && item->isVisible();
    };
    for (const int lines : {3, 200, 300}) {
        ShownView view("LongText", {{"text", QString("A line.\n").repeated(lines)}}, 400, 300);
        view.settle();
        EXPECT_EQ(std::ranges::any_of(view.root().findChildren<QQuickItem*>(), showsScrollBar),
                  lines > 100)
            << lines << " lines";
    }
}

// A view that does not load is logged and not shown. Icons share their drawings across the
// process; one of another colour is drawn anew. An icon without a source, as a button without
// one keeps, paints nothing and warns nothing.
TEST_F(ViewsTest, IconsKeepTheirColourAndWhatCannotBeDrawnIsSkippedQuietly) {
    EXPECT_EQ(ViewEngine::create("NoSuchView", {}), nullptr);
    EXPECT_EQ(log().lines().filter("Could not create the view NoSuchView:").size(), 1);
    // A stroke's edges blend into the window; its middle is close to pure colour.
    const auto inked = [](const QImage& frame, const QColor& ink) {
        for (int y = 0; y < frame.height(); ++y) {
            for (int x = 0; x < frame.width(); ++x) {
                const QColor pixel = frame.pixelColor(x, y);
                if (std::abs(pixel.red() - ink.red()) < 64 &&
                    std::abs(pixel.green() - ink.green()) < 64 &&
                    std::abs(pixel.blue() - ink.blue()) < 64) {
                    return true;
                }
            }
        }
        return false;
    };
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType /*type*/, const QMessageLogContext& /*context*/,
                                  const QString& message) { warnings << message; });
    const QUrl copy("qrc:/Quorvane/Extension/icons/copy.svg");
    const std::pair<QUrl, QColor> rows[] = {
        {copy, Qt::red}, {copy, Qt::blue}, {copy, Qt::red}, {QUrl(), Qt::red}};
    for (const auto& [source, colour] : rows) {
        SCOPED_TRACE((source.fileName() + ' ' + colour.name()).toStdString());
        auto icon = std::make_unique<TintedIcon>();
        icon->setSource(source);
        icon->setColor(colour);
        ShownView view(std::move(icon), 16, 16);
        view.settle();
        const QImage frame = view.window().grabWindow();
        EXPECT_EQ(inked(frame, colour), !source.isEmpty());
        EXPECT_FALSE(inked(frame, colour == Qt::red ? Qt::blue : Qt::red));
    }
    qInstallMessageHandler(previous);
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();
}

} // namespace
