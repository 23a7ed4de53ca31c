#include "views/inputorigin.h"

#include <QCoreApplication>
#include <QEvent>

InputOrigin& InputOrigin::shared() {
    static InputOrigin instance;
    return instance;
}

InputOrigin::InputOrigin() {
    if (QCoreApplication* application = QCoreApplication::instance()) {
        application->installEventFilter(this);
    }
}

bool InputOrigin::eventFilter(QObject* watched, QEvent* event) {
    bool pointer = pointer_;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
        pointer = true;
        break;
    case QEvent::KeyPress:
        pointer = false;
        break;
    default:
        break;
    }
    if (pointer != pointer_) {
        pointer_ = pointer;
        emit pointerChanged();
    }
    return QObject::eventFilter(watched, event);
}
