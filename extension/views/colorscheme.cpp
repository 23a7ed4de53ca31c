#include "views/colorscheme.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPalette>

ColorScheme& ColorScheme::shared() {
    static ColorScheme instance;
    return instance;
}

ColorScheme::ColorScheme() {
    if (QCoreApplication* application = QCoreApplication::instance()) {
        application->installEventFilter(this);
    }
    update();
}

bool ColorScheme::eventFilter(QObject* watched, QEvent* event) {
    if (watched == QCoreApplication::instance() &&
        event->type() == QEvent::ApplicationPaletteChange) {
        update();
    }
    return QObject::eventFilter(watched, event);
}

void ColorScheme::update() {
    // Qt has no colour-scheme setting here; a dark window colour is what a dark desktop gives.
    dark_ = QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
    emit changed(); // the palette's other colours may have changed too
}

QColor ColorScheme::controlBackground() const {
    return QGuiApplication::palette().color(QPalette::Base);
}

QColor ColorScheme::separator() const {
    return dark_ ? QColor(255, 255, 255, 60) : QColor(0, 0, 0, 40);
}

QColor ColorScheme::primary() const {
    return QGuiApplication::palette().color(QPalette::WindowText);
}

QColor ColorScheme::secondary() const {
    QColor color = primary();
    color.setAlphaF(0.6F);
    return color;
}

// Each named colour is a little lighter in dark mode, so that an outline in it keeps 3:1 on the
// dark ground, but no lighter than a white label on its fill keeps 4.5:1.
QColor ColorScheme::indigo() const {
    return dark_ ? QColor(0x62, 0x5F, 0xEE) : QColor(0x4F, 0x4C, 0xD6);
}

QColor ColorScheme::purple() const {
    return dark_ ? QColor(0xC0, 0x62, 0xF0) : QColor(0xA8, 0x4B, 0xDB);
}

QColor ColorScheme::blue() const {
    return dark_ ? QColor(0x13, 0x71, 0xEC) : QColor(0x0A, 0x6E, 0xE8);
}

QColor ColorScheme::red() const {
    return dark_ ? QColor(0xFF, 0x5A, 0x50) : QColor(0xE0, 0x2A, 0x22);
}

QColor ColorScheme::focusRing() const {
    return dark_ ? QColor(0x7C, 0xAC, 0xF8) : QColor(0x15, 0x58, 0xD6);
}

QColor ColorScheme::accentPurple() {
    return QColor::fromRgbF(147.0F / 255, 51.0F / 255, 234.0F / 255);
}

QColor ColorScheme::questionBubble() {
    return QColor::fromRgbF(0.145F, 0.388F, 0.922F);
}
