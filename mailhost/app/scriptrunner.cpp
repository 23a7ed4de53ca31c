#include "scriptrunner.h"

#include "composewindow.h"
#include "mailwindow.h"
#include "metopmostcontrol.h"
#include "syntheticinput.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QKeySequence>
#include <QQuickItem>
#include <cstdio>

namespace {

void printError(const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

const QStringList kCommands = {"reply", "compose", "window",     "close", "quit",      "press",
                               "type",  "key",     "expect-log", "sleep", "screenshot"};

} // namespace

std::variant<std::vector<ScriptStep>, ScriptError> parseScript(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return ScriptError{
            QStringLiteral("cannot read the script %1: %2").arg(path, file.errorString())};
    }
    std::vector<ScriptStep> steps;
    int number = 0;
    while (!file.atEnd()) {
        ++number;
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        ScriptStep step;
        step.line = number;
        step.command = line.section(QLatin1Char(' '), 0, 0);
        step.text = line.section(QLatin1Char(' '), 1).trimmed();
        step.arguments = step.text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (!kCommands.contains(step.command)) {
            return ScriptError{QStringLiteral("%1:%2: unknown step \"%3\"")
                                   .arg(path)
                                   .arg(number)
                                   .arg(step.command)};
        }
        steps.push_back(std::move(step));
    }
    return steps;
}

ScriptRunner::ScriptRunner(QString path, std::vector<ScriptStep> steps, MailWindow& mail)
    : path_(std::move(path))
    , steps_(std::move(steps))
    , mail_(mail) {
    poll_.setInterval(20);
}

void ScriptRunner::start() {
    // Steps name listed messages, so they wait until the folders are read.
    if (mail_.listing()) {
        connect(
            &mail_, &MailWindow::listed, this, [this] { next(); }, Qt::SingleShotConnection);
        return;
    }
    QTimer::singleShot(0, this, [this] { next(); });
}

void ScriptRunner::logLine(const QString& line) {
    const std::lock_guard lock(mutex_);
    lines_ << line;
}

void ScriptRunner::next() {
    if (current_ >= steps_.size()) {
        succeed();
        return;
    }
    const ScriptStep& step = steps_[current_];
    QString reason;
    if (!run(step, reason)) {
        fail(reason);
    }
}

void ScriptRunner::fail(const QString& reason) {
    poll_.stop();
    const ScriptStep& step = steps_[current_];
    // A step without an argument is named without a trailing space.
    printError(QStringLiteral("%1:%2: step \"%3\" failed: %4")
                   .arg(path_)
                   .arg(step.line)
                   .arg((step.command + QLatin1Char(' ') + step.text).trimmed(), reason));
    QCoreApplication::exit(1);
}

void ScriptRunner::succeed() {
    QCoreApplication::exit(0);
}

QQuickItem* ScriptRunner::control(const QString& objectName, QString& reason) const {
    ComposeWindow* window = mail_.currentCompose();
    QQuickItem* root = window ? window->extensionRoot() : nullptr;
    if (root == nullptr) {
        reason = QStringLiteral("no compose window with the extension is open");
        return nullptr;
    }
    QQuickItem* found = meTopmostControl(*root, objectName, MEControlState::Enabled);
    if (found == nullptr) {
        reason = QStringLiteral("no visible, enabled control named %1").arg(objectName);
    }
    return found;
}

bool ScriptRunner::run(const ScriptStep& step, QString& reason) {
    const auto done = [this] {
        ++current_;
        QTimer::singleShot(0, this, [this] { next(); });
        return true;
    };
    const QString& command = step.command;
    if (command == QLatin1String("reply")) {
        if (mail_.reply(step.text) == nullptr) {
            reason = QStringLiteral("no readable message named %1").arg(step.text);
            return false;
        }
        return done();
    }
    if (command == QLatin1String("compose")) {
        mail_.compose();
        return done();
    }
    if (command == QLatin1String("window")) {
        bool ok = false;
        const int number = step.text.toInt(&ok);
        if (!ok || mail_.chooseCompose(number) == nullptr) {
            reason = QStringLiteral("no compose window number %1 is open").arg(step.text);
            return false;
        }
        return done();
    }
    if (command == QLatin1String("close")) {
        ComposeWindow* window = mail_.currentCompose();
        if (window == nullptr) {
            reason = QStringLiteral("no compose window is open");
            return false;
        }
        window->close();
        return done();
    }
    if (command == QLatin1String("quit")) {
        succeed();
        return true;
    }
    if (command == QLatin1String("sleep")) {
        bool ok = false;
        const double seconds = step.text.toDouble(&ok);
        if (!ok || seconds < 0) {
            reason = QStringLiteral("not a number of seconds");
            return false;
        }
        ++current_;
        QTimer::singleShot(static_cast<int>(seconds * 1000), this, [this] { next(); });
        return true;
    }
    if (command == QLatin1String("expect-log")) {
        double seconds = 10;
        QString text = step.text;
        bool ok = false;
        if (step.arguments.size() > 1) {
            const double given = step.arguments.last().toDouble(&ok);
            if (ok) {
                seconds = given;
                text = text.section(QLatin1Char(' '), 0, -2);
            }
        }
        waitForLog(text, seconds);
        return true;
    }
    if (command == QLatin1String("screenshot")) {
        ComposeWindow* window = mail_.currentCompose();
        if (window == nullptr) {
            reason = QStringLiteral("no compose window is open");
            return false;
        }
        const QImage image = window->grabWindow();
        if (image.isNull() || !image.save(step.text, "PNG")) {
            reason = QStringLiteral("cannot save %1").arg(step.text);
            return false;
        }
        return done();
    }
    // The rest act on a control of the extension.
    if (step.arguments.isEmpty()) {
        reason = QStringLiteral("names no control");
        return false;
    }
    QQuickItem* item = control(step.arguments.first(), reason);
    if (item == nullptr) {
        return false;
    }
    QQuickWindow* window = item->window();
    const QString rest = step.text.section(QLatin1Char(' '), 1);
    if (command == QLatin1String("press")) {
        const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
        SyntheticInput::click(*window, centre);
        return done();
    }
    item->forceActiveFocus();
    if (command == QLatin1String("type")) {
        SyntheticInput::type(*window, rest);
        return done();
    }
    const QKeySequence sequence = QKeySequence::fromString(rest);
    if (sequence.isEmpty()) {
        reason = QStringLiteral("not a key sequence: %1").arg(rest);
        return false;
    }
    SyntheticInput::press(*window, sequence[0]);
    return done();
}

void ScriptRunner::waitForLog(const QString& text, double seconds) {
    const QDeadlineTimer deadline(static_cast<qint64>(seconds * 1000));
    poll_.disconnect();
    connect(&poll_, &QTimer::timeout, this, [this, text, deadline] {
        {
            const std::lock_guard lock(mutex_);
            for (qsizetype i = unseen_; i < lines_.size(); ++i) {
                if (lines_[i].contains(text)) {
                    unseen_ = i + 1;
                    poll_.stop();
                    ++current_;
                    QTimer::singleShot(0, this, [this] { next(); });
                    return;
                }
            }
        }
        if (deadline.hasExpired()) {
            fail(QStringLiteral("no log line containing \"%1\" in time").arg(text));
        }
    });
    poll_.start();
}
