#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

/// The size the extension's views may take beside the compose area, in device-independent
/// pixels; the least height depends on the reply context.
class PanelSize : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(int minimumWidth READ minimumWidth CONSTANT FINAL)
    Q_PROPERTY(int maximumWidth READ maximumWidth CONSTANT FINAL)
    Q_PROPERTY(int maximumHeight READ maximumHeight CONSTANT FINAL)

public:
    using QObject::QObject;

    [[nodiscard]] static int minimumWidth() { return 400; }
    [[nodiscard]] static int maximumWidth() { return 500; }
    [[nodiscard]] static int maximumHeight() { return 900; }
};
