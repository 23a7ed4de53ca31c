#include "mailwindow.h"

#include "composewindow.h"
#include "memessagecolor.h"
#include "messageview.h"

#include <QHeaderView>
#include <QLocale>
#include <QSplitter>
#include <QToolBar>
#include <QTreeWidget>
#include <algorithm>

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

} // namespace

MailWindow::MailWindow(MEExtension& extension, QStringList folders)
    : extension_(extension)
    , folders_(std::move(folders))
    , list_(new QTreeWidget)
    , viewer_(new MessageView) {
    setWindowTitle(tr("Quorvane Mail"));
    list_->setColumnCount(3);
    list_->setHeaderLabels({tr("From"), tr("Subject"), tr("Date")});
    list_->setRootIsDecorated(false);
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
    tools->addAction(tr("Reply"), this, [this] {
        if (QTreeWidgetItem* item = list_->currentItem()) {
            reply(item->data(0, Qt::UserRole).toString());
        }
    });
    tools->addAction(tr("New message"), this, [this] { compose(); });
    tools->addAction(tr("Refresh"), this, [this] { refresh(); });
    connect(list_, &QTreeWidget::currentItemChanged, this, [this] { showSelected(); });
    connect(list_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { reply(item->data(0, Qt::UserRole).toString()); });
    resize(900, 600);
    refresh();
}

void MailWindow::refresh() {
    messages_.clear();
    folderErrors_.clear();
    list_->clear();
    for (const QString& folder : folders_) {
        auto read = readMailFolder(folder);
        if (auto* error = std::get_if<FolderError>(&read)) {
            folderErrors_ << error->message;
            continue;
        }
        for (ListedMessage& listed : std::get<std::vector<ListedMessage>>(read)) {
            messages_.push_back(std::move(listed));
        }
    }
    // Newest first, as a mailbox reads; undated and unreadable messages go last.
    std::stable_sort(
        messages_.begin(), messages_.end(), [](const ListedMessage& a, const ListedMessage& b) {
            const auto dateOf = [](const ListedMessage& listed) {
                return listed.message && listed.message->date ? *listed.message->date : QDateTime();
            };
            return dateOf(a) > dateOf(b);
        });
    MEMessageActionHandler& actions = extension_.handlerForMessageActions();
    for (const ListedMessage& listed : messages_) {
        auto* item = new QTreeWidgetItem(list_);
        item->setData(0, Qt::UserRole, listed.fileName);
        if (!listed.message) {
            item->setText(0, QStringLiteral("⚠ ") + listed.fileName);
            item->setText(1, tr("Cannot be read: %1").arg(listed.error.value_or(QString())));
            item->setForeground(1, QColor(0xB0, 0x20, 0x20));
            continue;
        }
        const MailMessage& message = *listed.message;
        item->setText(0, message.senderName.isEmpty() && message.from ? message.from->addressString
                                                                      : message.senderName);
        item->setText(1, message.subjectText);
        item->setText(2, message.date ? QLocale().toString(*message.date, QLocale::ShortFormat)
                                      : QString());
        actions.decideAction(message, [item](std::optional<MEMessageActionDecision> decision) {
            if (!decision) {
                return;
            }
            for (const MEMessageAction& action : decision->actions) {
                const QColor color = rowColor(action.backgroundColor);
                for (int column = 0; color.isValid() && column < 3; ++column) {
                    item->setBackground(column, color);
                }
            }
        });
    }
    // Opened on the newest message, as a mailbox is.
    list_->setCurrentItem(list_->topLevelItem(0));
}

void MailWindow::showSelected() {
    QTreeWidgetItem* item = list_->currentItem();
    const auto index = item ? list_->indexOfTopLevelItem(item) : -1;
    const bool listed = index >= 0 && index < static_cast<int>(messages_.size());
    viewer_->display(listed ? messages_[static_cast<std::size_t>(index)].message.get() : nullptr);
}

ComposeWindow* MailWindow::reply(const QString& fileName) {
    for (const ListedMessage& listed : messages_) {
        if (listed.fileName == fileName && listed.message) {
            return open(listed.message);
        }
    }
    return nullptr;
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
    connect(window, &ComposeWindow::ended, this, [this, window] { std::erase(open_, window); });
    current_ = window;
    window->show();
    return window;
}
