#pragma once

#include "stores/qmlsingleton.h"

#include <QColor>
#include <QObject>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;

/// Light or dark, decided from the application palette's window colour, and the few named
/// colours the views use in each.
class ColorScheme : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(bool dark READ dark NOTIFY changed FINAL)
    Q_PROPERTY(QColor controlBackground READ controlBackground NOTIFY changed FINAL)
    Q_PROPERTY(QColor separator READ separator NOTIFY changed FINAL)
    Q_PROPERTY(QColor primary READ primary NOTIFY changed FINAL)
    Q_PROPERTY(QColor secondary READ secondary NOTIFY changed FINAL)
    Q_PROPERTY(QColor indigo READ indigo NOTIFY changed FINAL)
    Q_PROPERTY(QColor purple READ purple NOTIFY changed FINAL)
    Q_PROPERTY(QColor blue READ blue NOTIFY changed FINAL)
    Q_PROPERTY(QColor red READ red NOTIFY changed FINAL)
    Q_PROPERTY(QColor focusRing READ focusRing NOTIFY changed FINAL)
    Q_PROPERTY(QColor accentPurple READ accentPurple CONSTANT FINAL)
    Q_PROPERTY(QColor questionBubble READ questionBubble CONSTANT FINAL)

public:
    [[nodiscard]] static ColorScheme& shared();
    static ColorScheme* create(QQmlEngine* /*engine*/, QJSEngine* /*scriptEngine*/) {
        return sharedForQml<ColorScheme>();
    }

    [[nodiscard]] bool dark() const { return dark_; }
    [[nodiscard]] QColor controlBackground() const;
    [[nodiscard]] QColor separator() const;
    [[nodiscard]] QColor primary() const;
    [[nodiscard]] QColor secondary() const;
    [[nodiscard]] QColor indigo() const;
    [[nodiscard]] QColor purple() const;
    [[nodiscard]] QColor blue() const;
    [[nodiscard]] QColor red() const;
    /// At least 3:1 against the control background and the window, in light and in dark.
    [[nodiscard]] QColor focusRing() const;
    [[nodiscard]] static QColor accentPurple();
    [[nodiscard]] static QColor questionBubble();

signals:
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ColorScheme();
    void update();

    bool dark_ = false;
};
