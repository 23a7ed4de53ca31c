#include "messageview.h"

#include "linewrap.h"
#include "messageparser.h"

#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

// The text view lays out only the lines it shows, but a line is laid out whole: a mail that is
// one long line would stall it, so lines are broken at a space before this length.
constexpr qsizetype kLongestShownLine = 1000;

QLabel* fieldValue() {
    auto* label = new QLabel;
    label->setTextFormat(Qt::PlainText); // what a mail says is never markup here
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

} // namespace

MessageView::MessageView()
    : fields_(new QWidget)
    , from_(fieldValue())
    , to_(fieldValue())
    , subject_(fieldValue())
    , date_(fieldValue())
    , attachments_(fieldValue())
    , form_(new QFormLayout(fields_))
    , text_(new QPlainTextEdit) {
    form_->addRow(tr("From:"), from_);
    form_->addRow(tr("To:"), to_);
    form_->addRow(tr("Subject:"), subject_);
    form_->addRow(tr("Date:"), date_);
    form_->addRow(tr("Attachments:"), attachments_);
    QFont bold = subject_->font();
    bold.setBold(true);
    subject_->setFont(bold);
    text_->setReadOnly(true);
    text_->setObjectName(QStringLiteral("messageText"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(fields_);
    layout->addWidget(text_, 1);
    display(nullptr);
}

void MessageView::display(const MailMessage* message) {
    fields_->setVisible(message != nullptr);
    if (message == nullptr) {
        text_->clear();
        return;
    }
    const QString address = message->from ? message->from->addressString : QString();
    from_->setText(message->senderName.isEmpty() || address.isEmpty()
                       ? message->senderName + address
                       : QStringLiteral("%1 <%2>").arg(message->senderName, address));
    to_->setText(message->recipients);
    subject_->setText(message->subjectText);
    // In this machine's zone, as the list shows it, so that one message reads one time.
    date_->setText(message->date
                       ? QLocale().toString(message->date->toLocalTime(), QLocale::LongFormat)
                       : QString());
    const ShownMessage shown = shownMessage(*message);
    attachments_->setText(shown.attachments.join(QStringLiteral(", ")));
    form_->setRowVisible(attachments_, !shown.attachments.isEmpty());
    text_->setPlainText(wrapped(shown.text, kLongestShownLine).join(u'\n'));
}
