#pragma once

#include "composewindow.h"
#include "mailfolder.h"
#include "meextension.h"

#include <QMainWindow>
#include <QPointer>
#include <QQmlEngine>
#include <QTimer>
#include <QTreeWidgetItem>
#include <chrono>
#include <memory>
#include <vector>

class MessageView;
class QTreeWidget;

/// The message list and the message shown, with the commands to answer or write.
class MailWindow : public QMainWindow {
    Q_OBJECT

public:
    /// Files are read for `slice` at a time between the window's events, so that a large
    /// mailbox does not freeze it; a slice reads one file at least.
    MailWindow(MEExtension& extension, QStringList folders,
               std::chrono::milliseconds slice = std::chrono::milliseconds(50));

    /// Reads the folders again and asks the extension how to mark each message, as a mail
    /// client does when messages arrive. What one slice reads is read at once and the rest
    /// from the event loop; the list shows the new rows, and `listed` follows, once all are
    /// read.
    void refresh();
    /// Whether a refresh is still reading files.
    [[nodiscard]] bool listing() const { return unread_ < files_.size(); }
    /// Opens a reply to the first listed message with that file name; null when there is none.
    ComposeWindow* reply(const QString& fileName);
    ComposeWindow* compose();
    /// The compose window opened or chosen last, while it is open.
    [[nodiscard]] ComposeWindow* currentCompose() const { return current_; }
    /// Makes the `number`-th open compose window, counted from 1 for the oldest, the current
    /// one; null when fewer are open.
    ComposeWindow* chooseCompose(qsizetype number);
    /// The folders' errors, one line each, from the last refresh.
    [[nodiscard]] const QStringList& folderErrors() const { return folderErrors_; }

signals:
    void listed();

private:
    void listSlice();
    [[nodiscard]] std::unique_ptr<QTreeWidgetItem> listFile(const QString& path);
    /// Newest first, on the message being read if it is still there, else on the newest.
    void showListed();
    /// Folders may hold files of the same name, so a row is answered by its own path.
    ComposeWindow* replyTo(QTreeWidgetItem& row);
    ComposeWindow* open(const std::shared_ptr<const MailMessage>& original);
    /// The message of `row` read whole from its file; null when it cannot be read, and the row
    /// then says why.
    std::shared_ptr<const MailMessage> messageOf(QTreeWidgetItem& row);
    void showSelected();

    MEExtension& extension_;
    QQmlEngine engine_; // the host's own, for its compose windows
    QStringList folders_;
    QStringList folderErrors_;
    QStringList files_; // of the last refresh, in folder and name order
    qsizetype unread_ = 0;
    std::vector<std::unique_ptr<QTreeWidgetItem>> rows_; // read, not shown yet
    /// Made anew by each refresh: a decision that comes later for a row of an earlier one is
    /// dropped, as that row is gone or going.
    struct Listing {};
    std::shared_ptr<const Listing> listing_;
    std::chrono::milliseconds slice_;
    QTimer nextSlice_;
    QTreeWidget* list_;
    MessageView* viewer_;
    std::vector<ComposeWindow*> open_; // oldest first; each leaves when it ends
    QPointer<ComposeWindow> current_;
};
