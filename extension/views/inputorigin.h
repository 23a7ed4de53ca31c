#pragma once

#include "stores/qmlsingleton.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;

/// Whether the person's latest input was a pointer's press rather than a key. Focus that a view
/// moves on then shows its ring as the input would have: not after a click, after a key.
class InputOrigin : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(bool pointer READ pointer NOTIFY pointerChanged FINAL)

public:
    [[nodiscard]] static InputOrigin& shared();
    static InputOrigin* create(QQmlEngine* /*engine*/, QJSEngine* /*scriptEngine*/) {
        return sharedForQml<InputOrigin>();
    }

    [[nodiscard]] bool pointer() const { return pointer_; }
    /// The reason to give focus that a program moves.
    Q_INVOKABLE [[nodiscard]] Qt::FocusReason focusReason() const {
        return pointer_ ? Qt::MouseFocusReason : Qt::TabFocusReason;
    }

signals:
    void pointerChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    InputOrigin();

    bool pointer_ = false;
};
