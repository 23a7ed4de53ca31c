#pragma once

#include <QObject>
#include <QString>
#include <optional>

/// The result of the last version check.
class IncommingUpdatesManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool incommingUpdatesAvailable READ incommingUpdatesAvailable WRITE
                   setIncommingUpdatesAvailable NOTIFY incommingUpdatesAvailableChanged)

public:
    [[nodiscard]] static IncommingUpdatesManager& shared();

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
