#include "composewindow.h"

#include "meextensionviewcontroller.h"
#include "quotedreply.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QQuickItem>
#include <algorithm>

namespace {

// The least room for the recipient, the subject and a few lines of text.
constexpr QSize kComposeMinimum(320, 240);
// The window's margins and the gap between the text and the extension's area.
constexpr int kFrame = 8;

/// Wide enough for a quote's 76 columns, so that its lines do not wrap again: 76 digits, as
/// wide as most prose of that many characters, with the quote's padding and scroll bar.
int composeWidth() {
    const int quote =
        QFontMetrics(QGuiApplication::font()).horizontalAdvance(QString(76, QLatin1Char('0'))) +
        4 * kFrame;
    return std::max(kComposeMinimum.width(), quote);
}

} // namespace

ComposeWindow::ComposeWindow(QQmlEngine& engine, MEExtension& extension,
                             const std::shared_ptr<const MailMessage>& original)
    : QQuickView(&engine, nullptr)
    , session_(original)
    , handler_(extension.handlerForComposeSession(session_)) {
    setResizeMode(QQuickView::SizeRootObjectToView);
    setSource(QUrl(QStringLiteral("qrc:/mailhost/ComposeArea.qml")));
    QQuickItem* area = rootObject();
    if (original) {
        const ReplyDraft draft = replyDraft(*original);
        setTitle(draft.subject);
        area->setProperty("to", draft.to);
        area->setProperty("subject", draft.subject);
        area->setProperty("attribution", draft.attribution);
        quote_.setStringList(draft.quote);
    } else {
        setTitle(tr("New message"));
    }
    area->setProperty("quote", QVariant::fromValue(static_cast<QObject*>(&quote_)));
    // As mail clients do: a reply is written at once, a new message starts with its recipient.
    const QString first = original ? QStringLiteral("composeBody") : QStringLiteral("composeTo");
    if (auto* field = area->findChild<QQuickItem*>(first)) {
        field->forceActiveFocus();
    }
    // As a mail client does: the session begins, then the extension's area is asked for.
    handler_->mailComposeSessionDidBegin(session_);
    showExtensionArea();
}

ComposeWindow::~ComposeWindow() {
    end();
}

void ComposeWindow::showExtensionArea() {
    controller_ = handler_->viewControllerForSession(session_);
    QQuickItem* root = rootObject();
    if (!controller_ || root == nullptr) {
        setMinimumSize(kComposeMinimum + QSize(2 * kFrame, 2 * kFrame));
        resize(composeWidth() + 2 * kFrame, 550);
        return;
    }
    const QSizeF minimum = controller_->minimumSize();
    const int extensionWidth = static_cast<int>(minimum.width());
    const int extensionHeight = static_cast<int>(minimum.height());
    // Never narrower or lower than both sides need, so that no button of the panel is cut.
    setMinimumSize(QSize(kComposeMinimum.width() + extensionWidth + 3 * kFrame,
                         std::max(kComposeMinimum.height(), extensionHeight) + 2 * kFrame));
    root->setProperty("extensionMinimum", minimum);
    root->setProperty("extensionMaximum", controller_->maximumSize());
    auto* area = root->property("extensionArea").value<QQuickItem*>();
    QQuickItem& view = controller_->view();
    view.setParentItem(area);
    // Edge to edge, whatever size the layout gives the area.
    const auto fill = [area, &view] { view.setSize(area->size()); };
    connect(area, &QQuickItem::widthChanged, this, fill);
    connect(area, &QQuickItem::heightChanged, this, fill);
    resize(composeWidth() + extensionWidth + 3 * kFrame, minimumHeight());
}

QQuickItem* ComposeWindow::extensionRoot() const {
    return controller_ ? &controller_->view() : nullptr;
}

bool ComposeWindow::event(QEvent* event) {
    if (event->type() == QEvent::Close) {
        end();
        deleteLater();
    }
    return QQuickView::event(event);
}

void ComposeWindow::end() {
    if (ended_) {
        return;
    }
    ended_ = true;
    handler_->mailComposeSessionDidEnd(session_);
    if (controller_) {
        // The controller owns its items; they leave this window before the controller goes.
        controller_->view().setParentItem(nullptr);
        controller_.reset();
    }
    emit ended();
}
