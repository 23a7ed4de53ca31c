#pragma once

#include "stores/extensionservices.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

/// The buttons of the update notice and of its header.
class UpdateActions : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made with the signed-in panel's state")

public:
    explicit UpdateActions(const ExtensionServices& services, QObject* parent = nullptr)
        : QObject(parent)
        , services_(services) {}

    /// Opens the download address of the last version check in the browser; the notice stays.
    Q_INVOKABLE void updateNow();
    /// Hides the notice until a version check reports a new version again.
    Q_INVOKABLE void remindLater();
    /// The header's "Log out", as in the session panel.
    Q_INVOKABLE void logOut();

private:
    const ExtensionServices services_;
};
