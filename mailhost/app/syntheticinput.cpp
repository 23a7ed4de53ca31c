#include "syntheticinput.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QQuickWindow>
#include <QStyleHints>
#include <algorithm>

namespace SyntheticInput {
namespace {

// Clicks lie further apart than a double click, so that two presses of one control in a row
// are two presses rather than one double click.
quint64 nextClickTime() {
    static const QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    static quint64 last = 0;
    const auto apart =
        static_cast<quint64>(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    last = std::max(static_cast<quint64>(clock.elapsed()), last + apart + 1);
    return last;
}

void sendMouse(QQuickWindow& window, QEvent::Type type, QPointF point, Qt::MouseButtons held,
               quint64 time) {
    QMouseEvent event(type, point, point, window.mapToGlobal(point), Qt::LeftButton, held,
                      Qt::NoModifier);
    event.setTimestamp(time);
    QCoreApplication::sendEvent(&window, &event);
}

void sendKey(QQuickWindow& window, QKeyCombination combination, const QString& text) {
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, combination.key(), combination.keyboardModifiers(), text);
        QCoreApplication::sendEvent(&window, &event);
    }
}

// The text a key types: printable keys without Control give their character.
QString typedText(QKeyCombination combination) {
    const int key = combination.key();
    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
    if (key < Qt::Key_Space || key > Qt::Key_AsciiTilde || modifiers & Qt::ControlModifier) {
        return {};
    }
    const QChar character(key);
    return modifiers & Qt::ShiftModifier ? QString(character) : QString(character.toLower());
}

} // namespace

void click(QQuickWindow& window, QPointF point) {
    const quint64 time = nextClickTime();
    sendMouse(window, QEvent::MouseButtonPress, point, Qt::LeftButton, time);
    sendMouse(window, QEvent::MouseButtonRelease, point, Qt::NoButton, time);
}

void type(QQuickWindow& window, const QString& text) {
    // By code point, so that a character outside the BMP arrives whole rather than as two
    // halves of a surrogate pair.
    for (const char32_t character : text.toUcs4()) {
        sendKey(window, QKeyCombination(Qt::Key_unknown), QString::fromUcs4(&character, 1));
    }
}

void press(QQuickWindow& window, QKeyCombination combination) {
    sendKey(window, combination, typedText(combination));
}

} // namespace SyntheticInput
