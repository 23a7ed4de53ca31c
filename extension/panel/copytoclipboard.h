#pragma once

#include <QString>

/// Puts `text` on the clipboard as its only, plain-text item.
void copyToClipboard(const QString& text);
