#pragma once

#include "stores/extensionservices.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

/// The developer menu's endpoint picker and version row.
class EndpointSelection : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made with the state of the view that shows it")
    Q_PROPERTY(QString selectedApiEndpoint READ selectedApiEndpoint NOTIFY
                   selectedApiEndpointChanged FINAL)
    Q_PROPERTY(QString appVersion READ appVersionText CONSTANT FINAL)

public:
    /// Starts from the stored endpoint, taken as it is, or "live".
    explicit EndpointSelection(const ExtensionServices& services, QObject* parent = nullptr);

    [[nodiscard]] const QString& selectedApiEndpoint() const { return selected_; }
    [[nodiscard]] QString appVersionText() const;

    /// The picker's choice; choosing the selected endpoint again changes nothing.
    Q_INVOKABLE void select(const QString& endpoint);

signals:
    void selectedApiEndpointChanged();

private:
    const ExtensionServices services_;
    QString selected_;
};

/// Stores the endpoint, tells `APIManager` and every compose window, and signs out without
/// wiping the stored defaults. `services` is a copy: the selection that calls this may go with
/// the login view it replaces.
void changeEndpoint(ExtensionServices services, const QString& endpoint);
