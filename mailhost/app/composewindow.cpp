#include "composewindow.h"

#include "meextensionviewcontroller.h"
#include "quotedreply.h"

#include <QQuickItem>

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
        resize(600, 550);
        return;
    }
    const QSizeF minimum = controller_->minimumSize();
    root->setProperty("extensionMinimum", minimum);
    root->setProperty("extensionMaximum", controller_->maximumSize());
    auto* area = root->property("extensionArea").value<QQuickItem*>();
    QQuickItem& view = controller_->view();
    view.setParentItem(area);
    // Edge to edge, whatever size the layout gives the area.
    const auto fill = [area, &view] { view.setSize(area->size()); };
    connect(area, &QQuickItem::widthChanged, this, fill);
    connect(area, &QQuickItem::heightChanged, this, fill);
    resize(static_cast<int>(minimum.width()) + 480, static_cast<int>(minimum.height()) + 16);
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
