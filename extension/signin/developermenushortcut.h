#pragma once

#include "keymonitor.h"

/// Control+Shift+D (Command+Shift+D where Qt reports Command as Control), with any other
/// modifiers held too. The key, not the event's text: X11 gives that text as a control
/// character.
[[nodiscard]] inline bool isDeveloperMenuShortcut(const KeyDown& event) {
    return event.key == Qt::Key_D && event.modifiers.testFlag(Qt::ControlModifier) &&
           event.modifiers.testFlag(Qt::ShiftModifier);
}
