#pragma once

#include "mailmessage.h"
#include "mecomposesession.h"
#include "meextension.h"

#include <QQuickView>
#include <QStringListModel>
#include <memory>

class MEExtensionViewController;

/// A window to write a reply or a new message, with the extension's area beside the text.
/// A Qt Quick window, so that the extension's items are drawn into it and a grab of the
/// window shows them.
class ComposeWindow : public QQuickView {
    Q_OBJECT

public:
    /// A reply to `original`, or a new message when it is null.
    ComposeWindow(QQmlEngine& engine, MEExtension& extension,
                  const std::shared_ptr<const MailMessage>& original);
    ~ComposeWindow() override;
    ComposeWindow(const ComposeWindow&) = delete;
    ComposeWindow& operator=(const ComposeWindow&) = delete;

    /// The root of the extension's items, or null when the extension shows none.
    [[nodiscard]] QQuickItem* extensionRoot() const;
    /// Ends the session and closes the window; it deletes itself afterwards.
    void end();

signals:
    void ended();

protected:
    bool event(QEvent* event) override;

private:
    void showExtensionArea();

    /// The original's lines, shown as a list so that only the lines in sight are laid out:
    /// a text area lays out all of its text at once.
    QStringListModel quote_;
    MEBasicComposeSession session_;
    std::unique_ptr<MEComposeSessionHandler> handler_;
    std::shared_ptr<MEExtensionViewController> controller_;
    bool ended_ = false;
};
