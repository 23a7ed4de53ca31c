#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

/// The developer menu's endpoint picker and version row.
class EndpointSelection : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(
        QString selectedApiEndpoint READ selectedApiEndpoint NOTIFY selectedApiEndpointChanged)
    Q_PROPERTY(QString appVersion READ appVersionText CONSTANT)

public:
    /// Starts from the stored endpoint, taken as it is, or "live".
    explicit EndpointSelection(QObject* parent = nullptr);

    [[nodiscard]] const QString& selectedApiEndpoint() const { return selected_; }
    [[nodiscard]] static QString appVersionText();

    /// The picker's choice; choosing the selected endpoint again changes nothing.
    Q_INVOKABLE void select(const QString& endpoint);

signals:
    void selectedApiEndpointChanged();

private:
    QString selected_;
};

/// Stores the endpoint, tells `APIManager` and every compose window, and signs out without
/// wiping the stored defaults.
void changeEndpoint(const QString& endpoint);
