#include "composewindow.h"
#include "contrast.h"
#include "firstrun.h"
#include "mailwindow.h"
#include "meextensionviewcontroller.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QQuickItem>
#include <QStatusBar>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

/// An area that stays empty, as wide as the panel's.
class EmptyArea : public MEExtensionViewController {
    [[nodiscard]] QSizeF minimumSize() const override { return {400, 300}; }
    [[nodiscard]] QSizeF maximumSize() const override { return {900, 900}; }
};

/// An extension that shows nothing in the host's windows, so that they are what is tested; when
/// asked to, it takes an empty area beside the text, as the real one takes its panel.
class SilentExtension : public MEExtension, MEMessageActionHandler {
    class Session : public MEComposeSessionHandler {
    public:
        explicit Session(bool withArea)
            : withArea_(withArea) {}

    private:
        void mailComposeSessionDidBegin(const MEComposeSession&) override {}
        void mailComposeSessionDidEnd(const MEComposeSession&) override {}
        std::shared_ptr<MEExtensionViewController>
        viewControllerForSession(const MEComposeSession&) override {
            return withArea_ ? std::make_shared<EmptyArea>() : nullptr;
        }
        bool withArea_;
    };

public:
    std::unique_ptr<MEComposeSessionHandler>
    handlerForComposeSession(const MEComposeSession&) override {
        return std::make_unique<Session>(withArea);
    }
    MEMessageActionHandler& handlerForMessageActions() override { return *this; }
    // The host asks for these only when it shows a message's security, which it never does.
    MEContentBlocker& handlerForContentBlocker() override { std::abort(); }
    MEMessageSecurityHandler& handlerForMessageSecurity() override { std::abort(); }

private:
    // Marks old mail, to show that the host paints what is decided; later when asked to.
    void decideAction(const MEMessage& message, const Completion& completion) override {
        const auto decision = message.subject() == "Old"
                                  ? std::optional(MEMessageActionDecision::applyingAction(
                                        MEMessageAction::setBackgroundColor(MEMessageColor::Red)))
                                  : std::nullopt;
        if (!late) {
            return completion(decision);
        }
        decided.emplace_back([completion, decision] { completion(decision); });
    }

public:
    bool withArea = false;
    bool late = false;
    std::vector<std::function<void()>> decided;
};

/// Saves what `grab` gives, light and dark, as build/screenshots/<name>-<appearance>.png.
template <typename Grab> void screenshots(const QString& name, Grab grab) {
    const QPalette light = QApplication::palette();
    for (const bool dark : {false, true}) {
        // Qt derives light text and dark fields from a dark window colour.
        QApplication::setPalette(dark ? QPalette(QColor(0x3A3A3E), QColor(0x1E1E20)) : light);
        QCoreApplication::processEvents(); // the windows take the palette up
        const QImage image = grab();
        ASSERT_FALSE(image.isNull());
        QDir().mkpath(QUORVANE_SCREENSHOT_DIR);
        image.save(QStringLiteral(QUORVANE_SCREENSHOT_DIR "/%1-%2.png")
                       .arg(name, dark ? "dark" : "light"));
    }
    QApplication::setPalette(light);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class MailWindowTest : public testing::Test {
protected:
    MailWindowTest() {
        write("old.eml", "Date: Thu, 01 Jan 2026 09:00:00 +0000\nFrom: ann@example.org\n"
                         "Subject: Old\n\nFirst.\n");
        // Sent as HTML alone, as much mail is: shown and quoted as its text.
        write("new.eml", "Date: Tue, 01 Dec 2026 18:00:00 +0900\n"
                         "From: =?UTF-8?Q?L=C3=A9a?= <lea@example.org>\nTo: bob@example.org\n"
                         "Subject: Newest\nMIME-Version: 1.0\n"
                         "Content-Type: multipart/mixed; boundary=m\n\n--m\n"
                         "Content-Type: multipart/alternative; boundary=b\n\n--b\n"
                         "Content-Type: text/html; charset=utf-8\n\n<html><body><p>" +
                             QByteArray("word ").repeated(40) +
                             "</p></body></html>\n--b--\n--m\nContent-Type: application/pdf\n"
                             "Content-Disposition: attachment; filename=tickets.pdf\n\nx\n--m--\n");
        mail_.refresh();
    }
    ~MailWindowTest() override {
        // Compose windows delete themselves once closed.
        while (ComposeWindow* window = mail_.chooseCompose(1)) {
            window->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void write(const QString& name, const QByteArray& bytes) const {
        writeFile(folder_.filePath(name), bytes);
    }

    QTemporaryDir folder_;
    SilentExtension extension_;
    MailWindow mail_{extension_, {folder_.path()}};
};

TEST_F(MailWindowTest, OpensOnTheNewestMessageWithItsFieldsAboveTheText) {
    QStringList fields;
    for (const QLabel* label : mail_.findChildren<QLabel*>()) {
        fields << label->text();
    }
    for (const char* expected :
         {"Léa <lea@example.org>", "bob@example.org", "Newest", "tickets.pdf"}) {
        EXPECT_TRUE(fields.contains(QString(expected))) << expected;
    }
    // Sent at 18:00 in +09:00: the list and the header give it in this machine's zone, as the
    // list is ordered; the tests run in UTC.
    const QDateTime sent(QDate(2026, 12, 1), QTime(9, 0));
    EXPECT_EQ(fields.filter("2026"), QStringList{QLocale().toString(sent, QLocale::LongFormat)});
    const auto* list = mail_.findChild<QTreeWidget*>();
    EXPECT_EQ(list->topLevelItem(0)->text(2), QLocale().toString(sent, QLocale::ShortFormat));
    const auto* text = mail_.findChild<QPlainTextEdit*>("messageText");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->toPlainText().trimmed(), QString("word ").repeated(40).trimmed());
    for (const int width : {500, 900}) {
        mail_.resize(width, 600);
        screenshots(QStringLiteral("mailhost-%1").arg(width), [this, list] {
            // The row the extension marked is painted and reads in either appearance.
            const QTreeWidgetItem* marked = list->topLevelItem(1);
            const QBrush ink = marked->foreground(1);
            EXPECT_GE(contrastRatio(marked->background(1).color(),
                                    ink.style() == Qt::NoBrush ? list->palette().text().color()
                                                               : ink.color()),
                      4.5);
            return mail_.grab().toImage();
        });
    }
}

// The list keeps only what it shows, so a large mailbox is not held in memory.
TEST_F(MailWindowTest, MessagesAreReadWhenShownOrAnsweredAndARefreshKeepsTheOneBeingRead) {
    write("old.eml", "Date: Thu, 01 Jan 2026 09:00:00 +0000\nSubject: Old\n\nChanged.\n");
    ASSERT_TRUE(QFile::remove(folder_.filePath("new.eml")));
    auto* list = mail_.findChild<QTreeWidget*>();
    ASSERT_NE(list, nullptr);
    list->setCurrentItem(list->topLevelItem(1));
    EXPECT_EQ(mail_.findChild<QPlainTextEdit*>("messageText")->toPlainText(), "Changed.\n");
    EXPECT_EQ(mail_.reply("new.eml"), nullptr);
    EXPECT_TRUE(list->topLevelItem(0)->text(1).startsWith("Cannot be read: "));
    // What arrives meanwhile does not take the place of the message being read.
    write("newer.eml", "Date: Sat, 05 Dec 2026 09:00:00 +0000\nSubject: Newer\n\nx\n");
    mail_.show();
    QApplication::setActiveWindow(&mail_);
    QTest::keyClick(list, Qt::Key_F5);
    EXPECT_EQ(list->topLevelItem(0)->text(1), "Newer");
    EXPECT_EQ(list->currentItem()->text(1), "Old");
}

// A large mailbox is read a slice at a time, so that its window answers meanwhile; files of
// two folders may share a name, and each row answers its own.
TEST_F(MailWindowTest, FoldersAreReadASliceAtATimeThenShownNewestFirst) {
    const QTemporaryDir archive;
    writeFile(archive.filePath("new.eml"),
              "Date: Mon, 01 Jan 2024 09:00:00 +0000\nSubject: Archived\n\nx\n");
    MailWindow sliced(extension_, {folder_.path(), archive.path()}, std::chrono::milliseconds(0));
    int listed = 0;
    QObject::connect(&sliced, &MailWindow::listed, [&listed] { ++listed; });
    auto* list = sliced.findChild<QTreeWidget*>();
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_EQ(sliced.statusBar()->currentMessage(), "Reading messages: 1 of 3");
    EXPECT_TRUE(QTest::qWaitFor([&sliced] { return !sliced.listing(); }));
    EXPECT_EQ(listed, 1);
    EXPECT_EQ(list->currentItem()->text(1), "Newest");
    EXPECT_EQ(list->topLevelItem(1)->text(1), "Old");
    EXPECT_EQ(sliced.statusBar()->currentMessage(), "3 messages");
    list->setCurrentItem(list->topLevelItem(2));
    QTest::keyClick(list, Qt::Key_Return);
    ComposeWindow* reply = sliced.currentCompose();
    ASSERT_NE(reply, nullptr);
    EXPECT_EQ(reply->title(), "Re: Archived");
    reply->close();
}

// Decisions that come after a refresh replaced their rows reach none of the new ones.
TEST_F(MailWindowTest, LateDecisionsPaintOnlyTheRowsStillListed) {
    extension_.late = true;
    mail_.refresh();
    const std::vector<std::function<void()>> replaced = std::exchange(extension_.decided, {});
    mail_.refresh();
    const auto oldRowColour = [this](const std::vector<std::function<void()>>& decisions) {
        for (const auto& decide : decisions) {
            decide();
        }
        return mail_.findChild<QTreeWidget*>()->topLevelItem(1)->background(1).color();
    };
    EXPECT_EQ(oldRowColour(replaced), QBrush().color());
    EXPECT_EQ(oldRowColour(extension_.decided), QColor(0xF6, 0xC0, 0xC0));
}

TEST_F(MailWindowTest, ComposeWindowsAreNamedAfterTheirMessageAndChosenByNumber) {
    // From the keyboard: Return answers the row, Ctrl+R the one selected, Ctrl+N writes anew.
    mail_.show();
    QApplication::setActiveWindow(&mail_);
    auto* list = mail_.findChild<QTreeWidget*>();
    QTest::keyClick(list, Qt::Key_Return);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_R, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_N, Qt::ControlModifier);
    const auto title = [this](qsizetype number) {
        ComposeWindow* window = mail_.chooseCompose(number);
        return window && window == mail_.currentCompose() ? window->title() : QString("none");
    };
    EXPECT_EQ(QStringList({title(1), title(2), title(3), title(4), title(0)}),
              QStringList({"Re: Newest", "Re: Old", "New message", "none", "none"}));
    mail_.chooseCompose(1)->close();
    EXPECT_EQ(QStringList({title(1), title(2), title(3)}),
              QStringList({"Re: Old", "New message", "none"}));

    // Typing goes where a person writes: a reply's text, a new message's recipient.
    const auto focused = [](ComposeWindow* window) {
        window->requestActivate();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        return window->activeFocusItem() ? window->activeFocusItem()->objectName() : QString();
    };
    EXPECT_EQ(focused(mail_.compose()), "composeTo");
    // However long the quote, the text being written is in sight.
    write("old.eml", "Subject: Old\nFrom: ann@example.org\nReply-To: list@example.org\n\n" +
                         QByteArray("A line.\n").repeated(200));
    ComposeWindow* longReply = mail_.reply("old.eml");
    EXPECT_EQ(longReply->rootObject()->property("to").toString(), "list@example.org");
    EXPECT_EQ(focused(longReply), "composeBody");
    (void)longReply->grabWindow();
    const auto* view = longReply->rootObject()->findChild<QQuickItem*>("composeText");
    EXPECT_GE(longReply->activeFocusItem()->mapToItem(view, {0, 0}).y(), 0);
    // Tab leaves the text, as it leaves the other fields, rather than typing a tab into it.
    QTest::keyClick(longReply, Qt::Key_Tab);
    EXPECT_NE(longReply->activeFocusItem()->objectName(), "composeBody");

    // The reply to the newest: the quote, wrapped, under its attribution.
    extension_.withArea = true;
    ComposeWindow* newest = mail_.reply("new.eml");
    QQuickItem* area = newest->rootObject();
    EXPECT_TRUE(area->property("attribution").toString().startsWith("Léa wrote on "));
    const auto* quote = qobject_cast<QStringListModel*>(area->property("quote").value<QObject*>());
    ASSERT_NE(quote, nullptr);
    // Beside the extension's area, it opens wide enough for each quoted line to stay one line.
    newest->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(newest));
    int quoted = 0;
    const auto* text = area->findChild<QQuickItem*>("composeText");
    for (const QQuickItem* line :
         text->property("contentItem").value<QQuickItem*>()->childItems()) {
        if (line->property("display").isValid()) {
            ++quoted;
            EXPECT_EQ(line->property("lineCount").toInt(), 1) << quoted;
        }
    }
    EXPECT_EQ(quoted, 3);
    // As it opens, and as narrow as a person can make it.
    for (const int width : {newest->width(), newest->minimumWidth()}) {
        newest->resize(width, newest->height());
        screenshots(QStringLiteral("mailhost-reply-%1").arg(width),
                    [newest] { return newest->grabWindow(); });
    }
    EXPECT_EQ(quote->stringList(), QStringList({"> " + QString("word ").repeated(14) + "word",
                                                "> " + QString("word ").repeated(14) + "word",
                                                "> " + QString("word ").repeated(9) + "word"}));
}

/// Acts on the next modal window of type `Window` once it shows, as a person would.
template <typename Window> void whenShown(std::function<void(Window&)> act) {
    auto* poll = new QTimer; // NOLINT(cppcoreguidelines-owning-memory): deletes itself
    QObject::connect(poll, &QTimer::timeout, [poll, act = std::move(act)] {
        if (auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
            window && window->isVisible()) {
            poll->deleteLater();
            poll->stop();
            act(*window);
        }
    });
    poll->start(10);
}

void press(const QMessageBox& box, const char* button) {
    auto* pressed = box.findChild<QPushButton*>(button);
    ASSERT_NE(pressed, nullptr) << button;
    pressed->click();
}

// Without ~/Maildir a person is asked what to open rather than shown nothing: the samples,
// offered only where they are, or a folder; a cancelled folder dialog asks again.
TEST(FirstRunTest, WithoutAMailFolderAPersonChoosesOne) {
    const QTemporaryDir samples;
    const QTemporaryDir chosen;
    whenShown<QMessageBox>([](QMessageBox& box) {
        EXPECT_TRUE(box.text().contains("/home/ann/Maildir")) << box.text().toStdString();
        screenshots("mailhost-first-run", [&box] { return box.grab().toImage(); });
        press(box, "openSamples");
    });
    EXPECT_EQ(askForMailFolder("/home/ann/Maildir", samples.path()), samples.path());

    whenShown<QMessageBox>([](QMessageBox& box) { press(box, "quit"); });
    EXPECT_EQ(askForMailFolder("/home/ann/Maildir", chosen.filePath("none")), std::nullopt);

    whenShown<QMessageBox>([&](QMessageBox& box) {
        EXPECT_EQ(box.findChild<QPushButton*>("openSamples"), nullptr) << "no samples to open";
        press(box, "chooseFolder");
        whenShown<QFileDialog>([&](QFileDialog& files) {
            files.reject();
            whenShown<QMessageBox>([&](QMessageBox& again) {
                press(again, "chooseFolder");
                whenShown<QFileDialog>([&](QFileDialog& second) {
                    second.setDirectory(chosen.path());
                    static_cast<QDialog&>(second).accept(); // as the Choose button does
                });
            });
        });
    });
    EXPECT_EQ(askForMailFolder("/home/ann/Maildir", chosen.filePath("none")), chosen.path());
}

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", /*overwrite=*/0);
    ::setenv("TZ", "UTC", /*overwrite=*/1);
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
