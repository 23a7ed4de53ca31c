#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <mutex>
#include <variant>
#include <vector>

class MailWindow;
class QQuickItem;

/// One line of a script.
struct ScriptStep {
    int line = 0;
    QString command;
    QStringList arguments; // split on spaces; the last command's text keeps its spaces
    QString text;          // everything after the command (and its object name, if any)
};

/// Why a script cannot be run.
struct ScriptError {
    QString message;
};

/// Reads a script: one step per line, `#` starts a comment line.
[[nodiscard]] std::variant<std::vector<ScriptStep>, ScriptError> parseScript(const QString& path);

/// Runs a script against the mail host's windows as a person would: real clicks and keys on
/// the extension's controls. Ends the application with 0 when every step succeeded, else 1
/// after naming the failed step and its line on standard error.
class ScriptRunner : public QObject {
    Q_OBJECT

public:
    ScriptRunner(QString path, std::vector<ScriptStep> steps, MailWindow& mail);

    void start();
    /// Called with each of the extension's log lines, from any thread.
    void logLine(const QString& line);

private:
    void next();
    void fail(const QString& reason);
    void succeed();
    /// Runs the current step; false with `reason` set when it failed at once.
    bool run(const ScriptStep& step, QString& reason);
    [[nodiscard]] QQuickItem* control(const QString& objectName, QString& reason) const;
    void waitForLog(const QString& text, double seconds);

    QString path_;
    std::vector<ScriptStep> steps_;
    MailWindow& mail_;
    std::size_t current_ = 0;
    mutable std::mutex mutex_;
    QStringList lines_;    // guarded by mutex_
    qsizetype unseen_ = 0; // lines before this were matched by an earlier expect-log
    QTimer poll_;
};
