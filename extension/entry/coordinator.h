#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

class ComposeSessionViewController;

/// Ties a panel to the compose window controller that shows it; made anew for each panel.
class Coordinator : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the compose window controller")

public:
    explicit Coordinator(ComposeSessionViewController& controller)
        : viewController(controller) {}

    /// The controller owns the panel and with it this object, so it is always there.
    ComposeSessionViewController& viewController;
};
