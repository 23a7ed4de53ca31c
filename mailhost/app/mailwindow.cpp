#include "mailwindow.h"

#include "composewindow.h"
#include "memessagecolor.h"
#include "messageview.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>
#include <QSplitter>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QToolBar>
#include <QTreeWidget>

namespace {

QColor rowColor(MEMessageColor color) {
    switch (color) {
    case MEMessageColor::Green:
        return QColor(0xC8, 0xEE, 0xC8);
    case MEMessageColor::Yellow:
        return QColor(0xFA, 0xF0, 0xB4);
    case MEMessageColor::Orange:
        return QColor(0xFA, 0xD7, 0xA8);
    case MEMessageColor::Red:
        return QColor(0xF6, 0xC0, 0xC0);
    case MEMessageColor::Purple:
        return QColor(0xE2, 0xCC, 0xF4);
    case MEMessageColor::Blue:
        return QColor(0xC4, 0xDC, 0xF8);
    case MEMessageColor::Gray:
        return QColor(0xDD, 0xDD, 0xDD);
    case MEMessageColor::None:
        break;
    }
    return {};
}

// What a row keeps of its message: the list shows its fields and reads the file again when
// the message is shown or answered, so that a mailbox is never held in memory whole.
enum RowData { FileName = Qt::UserRole, FilePath, SentAt };

/// A row of the message list, ordered by its message's date.
class MessageRow : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        return data(0, SentAt).toDateTime() < other.data(0, SentAt).toDateTime();
    }
};

/// Rows with room above a capital's accent, which the style's rows cut off, and between the
/// columns, which it leaves touching.
class RoomyRows : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(12, 6);
    }
};

/// Gives a row the background colours the extension decided for its message.
void paint(QTreeWidgetItem& row, const std::optional<MEMessageActionDecision>& decision) {
    if (!decision) {
        return;
    }
    for (const MEMessageAction& action : decision->actions) {
        const QColor color = rowColor(action.backgroundColor);
        // The colours are light in either appearance, so their text is dark.
        for (int column = 0; color.isValid() && column < 3; ++column) {
            row.setBackground(column, color);
            row.setForeground(column, QColor(0x20, 0x20, 0x24));
        }
    }
}

void markUnreadable(QTreeWidgetItem& row, const MessageError& error) {
    row.setText(0, QStringLiteral("⚠ ") + row.data(0, FileName).toString());
    row.setText(1, MailWindow::tr("Cannot be read: %1").arg(error.reason));
    row.setText(2, QString());
    row.setData(0, SentAt, QDateTime());
    // Italic, not a colour, so that it reads on a light list and a dark one alike.
    QFont font = row.font(1);
    font.setItalic(true);
    row.setFont(1, font);
}

} // namespace

MailWindow::MailWindow(MEExtension& extension, QStringList folders, std::chrono::milliseconds slice)
    : extension_(extension)
    , folders_(std::move(folders))
    , slice_(slice)
    , list_(new QTreeWidget)
    , viewer_(new MessageView) {
    setWindowTitle(tr("Quorvane Mail"));
    list_->setColumnCount(3);
    list_->setHeaderLabels({tr("From"), tr("Subject"), tr("Date")});
    list_->setRootIsDecorated(false);
    list_->setItemDelegate(new RoomyRows(list_));
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    list_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    list_->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(list_);
    splitter->addWidget(viewer_);
    splitter->setStretchFactor(1, 2);
    setCentralWidget(splitter);
    QToolBar* tools = addToolBar(tr("Mail"));
    tools->addAction(tr("Reply"), QKeySequence(Qt::CTRL | Qt::Key_R), this, [this] {
        if (QTreeWidgetItem* item = list_->currentItem()) {
            replyTo(*item);
        }
    });
    tools->addAction(tr("New message"), QKeySequence::New, this, [this] { compose(); });
    // Not QKeySequence::Refresh: some desktops bind it to Ctrl+R as well, which Reply has.
    tools->addAction(tr("Refresh"), QKeySequence(Qt::Key_F5), this, [this] { refresh(); });
    connect(list_, &QTreeWidget::currentItemChanged, this, [this] { showSelected(); });
    // A double click or Return on a row answers it.
    connect(list_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { replyTo(*item); });
    nextSlice_.setSingleShot(true);
    nextSlice_.setInterval(0);
    connect(&nextSlice_, &QTimer::timeout, this, [this] { listSlice(); });
    resize(900, 600);
    refresh();
}

void MailWindow::refresh() {
    listing_ = std::make_shared<const Listing>();
    folderErrors_.clear();
    files_.clear();
    unread_ = 0;
    rows_.clear();
    for (const QString& folder : folders_) {
        auto files = messageFilesOf(folder);
        if (auto* error = std::get_if<FolderError>(&files)) {
            folderErrors_ << error->message;
            continue;
        }
        files_ += std::get<QStringList>(files);
    }
    listSlice();
}

void MailWindow::listSlice() {
    const QDeadlineTimer end(slice_);
    // One file at least, so that every slice moves on.
    while (listing()) {
        rows_.push_back(listFile(files_[unread_++]));
        if (end.hasExpired()) {
            break;
        }
    }
    if (listing()) {
        statusBar()->showMessage(
            tr("Reading messages: %L1 of %L2").arg(unread_).arg(files_.size()));
        nextSlice_.start();
        return;
    }
    showListed();
}

std::unique_ptr<QTreeWidgetItem> MailWindow::listFile(const QString& path) {
    auto row = std::make_unique<MessageRow>();
    row->setData(0, FileName, QFileInfo(path).fileName());
    row->setData(0, FilePath, path);
    const std::shared_ptr<const MailMessage> message = messageOf(*row);
    if (!message) {
        return row;
    }
    row->setText(0, message->senderName.isEmpty() && message->from ? message->from->addressString
                                                                   : message->senderName);
    row->setText(1, message->subjectText);
    if (message->date) {
        // In this machine's zone: in each sender's own, the dates would not read in order.
        row->setText(2, QLocale().toString(message->date->toLocalTime(), QLocale::ShortFormat));
        row->setData(0, SentAt, *message->date);
    }
    // An extension may decide later, when a refresh has since replaced this row.
    extension_.handlerForMessageActions().decideAction(
        *message, [item = row.get(), listed = std::weak_ptr<const Listing>(listing_)](
                      const std::optional<MEMessageActionDecision>& decision) {
            if (!listed.expired()) {
                paint(*item, decision);
            }
        });
    return row;
}

void MailWindow::showListed() {
    const QTreeWidgetItem* reading = list_->currentItem();
    const QString readingPath = reading ? reading->data(0, FilePath).toString() : QString();
    list_->clear();
    QList<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<qsizetype>(rows_.size()));
    for (std::unique_ptr<QTreeWidgetItem>& row : rows_) {
        rows << row.release();
    }
    rows_.clear();
    list_->addTopLevelItems(rows);
    // Newest first, as a mailbox reads; undated and unreadable messages go last.
    list_->sortItems(0, Qt::DescendingOrder);
    // Opened on the newest message, as a mailbox is; a refresh keeps the one being read.
    QTreeWidgetItem* current = list_->topLevelItem(0);
    for (int index = 0; index < list_->topLevelItemCount() && !readingPath.isEmpty(); ++index) {
        if (list_->topLevelItem(index)->data(0, FilePath).toString() == readingPath) {
            current = list_->topLevelItem(index);
        }
    }
    list_->setCurrentItem(current);
    const int count = list_->topLevelItemCount();
    statusBar()->showMessage(count == 1 ? tr("1 message") : tr("%L1 messages").arg(count));
    emit listed();
}

std::shared_ptr<const MailMessage> MailWindow::messageOf(QTreeWidgetItem& row) {
    const QString path = row.data(0, FilePath).toString();
    auto read = readMessageFile(path);
    // Only a file that fails is looked for under a new name, so listing costs no extra lookup.
    const std::optional<QString> moved =
        std::holds_alternative<MessageError>(read) && !QFileInfo::exists(path)
            ? movedMaildirMessage(path)
            : std::nullopt;
    if (moved) {
        row.setData(0, FilePath, *moved);
        read = readMessageFile(*moved);
    }
    if (const auto* error = std::get_if<MessageError>(&read)) {
        markUnreadable(row, *error);
        return nullptr;
    }
    return std::get<std::shared_ptr<const MailMessage>>(std::move(read));
}

void MailWindow::showSelected() {
    QTreeWidgetItem* row = list_->currentItem();
    viewer_->display(row ? messageOf(*row).get() : nullptr);
}

ComposeWindow* MailWindow::reply(const QString& fileName) {
    for (int index = 0; index < list_->topLevelItemCount(); ++index) {
        QTreeWidgetItem* row = list_->topLevelItem(index);
        if (row->data(0, FileName).toString() == fileName) {
            return replyTo(*row);
        }
    }
    return nullptr;
}

ComposeWindow* MailWindow::replyTo(QTreeWidgetItem& row) {
    const std::shared_ptr<const MailMessage> message = messageOf(row);
    return message ? open(message) : nullptr;
}

ComposeWindow* MailWindow::compose() {
    return open(nullptr);
}

ComposeWindow* MailWindow::chooseCompose(qsizetype number) {
    if (number < 1 || number > static_cast<qsizetype>(open_.size())) {
        return nullptr;
    }
    current_ = open_[static_cast<std::size_t>(number - 1)];
    current_->requestActivate();
    return current_;
}

ComposeWindow* MailWindow::open(const std::shared_ptr<const MailMessage>& original) {
    auto* window = new ComposeWindow(engine_, extension_, original);
    open_.push_back(window);
    connect(window, &ComposeWindow::ended, this, [this, window] {
        std::erase(open_, window);
        // As a window system leaves the focus on the window below: the newest one still open.
        if (current_.isNull() || current_ == window) {
            current_ = open_.empty() ? nullptr : open_.back();
        }
    });
    current_ = window;
    window->show();
    return window;
}
