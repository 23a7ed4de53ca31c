#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <optional>

/// The result of the last version check.
class IncommingUpdatesManager : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("one per process; a panel's state hands it to its view")
    Q_PROPERTY(bool incommingUpdatesAvailable READ incommingUpdatesAvailable WRITE
                   setIncommingUpdatesAvailable NOTIFY incommingUpdatesAvailableChanged FINAL)

public:
    /// The process's.
    [[nodiscard]] static IncommingUpdatesManager& shared();
    IncommingUpdatesManager() = default;

    std::optional<QString> newVersion;
    std::optional<QString> updateUrl;

    [[nodiscard]] bool incommingUpdatesAvailable() const { return available_; }
    void setIncommingUpdatesAvailable(bool available);

signals:
    void incommingUpdatesAvailableChanged();

private:
    bool available_ = false;
};
