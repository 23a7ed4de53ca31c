#pragma once

#include <QKeyCombination>
#include <QPointF>
#include <QString>

class QQuickWindow;

/// Input a script gives a window as if a person gave it: the window delivers it to its items
/// as it would the desktop's own events.
namespace SyntheticInput {

/// A left click at `point`, in the window's coordinates.
void click(QQuickWindow& window, QPointF point);
/// Each character of `text`, as typed, to the item with the focus.
void type(QQuickWindow& window, const QString& text);
/// A key with its modifiers, pressed and released, to the item with the focus.
void press(QQuickWindow& window, QKeyCombination combination);

} // namespace SyntheticInput
