#pragma once

#include "composewindow.h"
#include "mailfolder.h"
#include "meextension.h"

#include <QMainWindow>
#include <QPointer>
#include <QQmlEngine>
#include <vector>

class MessageView;
class QTreeWidget;
class QTreeWidgetItem;

/// The message list and the message shown, with the commands to answer or write.
class MailWindow : public QMainWindow {
    Q_OBJECT

public:
    MailWindow(MEExtension& extension, QStringList folders);

    /// Reads the folders again and asks the extension how to mark each message, as a mail
    /// client does when messages arrive.
    void refresh();
    /// Opens a reply to the listed message with that file name; null when there is none.
    ComposeWindow* reply(const QString& fileName);
    ComposeWindow* compose();
    /// The compose window opened or chosen last, while it is open.
    [[nodiscard]] ComposeWindow* currentCompose() const { return current_; }
    /// Makes the `number`-th open compose window, counted from 1 for the oldest, the current
    /// one; null when fewer are open.
    ComposeWindow* chooseCompose(qsizetype number);
    /// The folders' errors, one line each, from the last refresh.
    [[nodiscard]] const QStringList& folderErrors() const { return folderErrors_; }

private:
    ComposeWindow* open(const std::shared_ptr<const MailMessage>& original);
    /// The message of `row` read whole from its file; null when it cannot be read, and the row
    /// then says why.
    std::shared_ptr<const MailMessage> messageOf(QTreeWidgetItem& row);
    void showSelected();

    MEExtension& extension_;
    QQmlEngine engine_; // the host's own, for its compose windows
    QStringList folders_;
    QStringList folderErrors_;
    QTreeWidget* list_;
    MessageView* viewer_;
    std::vector<ComposeWindow*> open_; // oldest first; each leaves when it ends
    QPointer<ComposeWindow> current_;
};
