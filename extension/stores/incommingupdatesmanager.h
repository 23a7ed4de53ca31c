#pragma once

#include "stores/qmlsingleton.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <optional>

class QQmlEngine;

/// The result of the last version check.
class IncommingUpdatesManager : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(bool incommingUpdatesAvailable READ incommingUpdatesAvailable WRITE
                   setIncommingUpdatesAvailable NOTIFY incommingUpdatesAvailableChanged)

public:
    [[nodiscard]] static IncommingUpdatesManager& shared();
    static IncommingUpdatesManager* create(QQmlEngine* /*engine*/, QJSEngine* /*scriptEngine*/) {
        return sharedForQml<IncommingUpdatesManager>();
    }

    std::optional<QString> newVersion;
    std::optional<QString> updateUrl;

    [[nodiscard]] bool incommingUpdatesAvailable() const { return available_; }
    void setIncommingUpdatesAvailable(bool available);

signals:
    void incommingUpdatesAvailableChanged();

private:
    IncommingUpdatesManager() = default;
    bool available_ = false;
};
