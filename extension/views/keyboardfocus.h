#pragma once

class QQuickItem;

/// Whether the keyboard's focus is on `item` or inside it. Asked before a change that hides or
/// drops the focused control, since Qt then leaves the focus on nothing a person can see.
[[nodiscard]] bool holdsFocus(const QQuickItem& item);

/// Gives the keyboard's focus to the first control inside `item` that Tab reaches, if any, with
/// a ring unless the latest input was a pointer's.
void focusFirstControl(QQuickItem& item);
